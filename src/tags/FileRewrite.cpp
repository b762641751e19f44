#include "FileRewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "FileReader.h"
#include "RewriteLeftovers.h"
#include "foundation/Files.h"

namespace sw {

namespace {

constexpr qsizetype kChunk = 256 * 1024;

std::atomic<RewriteFault> g_fault{RewriteFault::None};

bool Faulted(RewriteFault at) {
    return g_fault.load() == at;
}

// The rewrite replaces the file a link points at, not the link.
QString ResolvedTarget(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty()) {
            return target;
        }
    }
    return path;
}

}  // namespace

void SetRewriteFaultForTesting(RewriteFault fault) {
    g_fault.store(fault);
}

bool IsRegularFile(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool MakeOwnerWritable(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        return false;
    }
    if (info.st_mode & S_IWUSR) {
        return true;
    }
    return ::chmod(native.constData(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

FileRewrite::FileRewrite(const QString& path) : m_target(ResolvedTarget(path)) {}

FileRewrite::~FileRewrite() {
    Discard();
}

bool FileRewrite::Fail(const QString& what, int error) {
    const QString subject = m_temporary.isEmpty() ? m_target : QFile::decodeName(m_temporary);
    m_error = what + " " + subject + ": " + QString::fromLocal8Bit(std::strerror(error));
    m_errorNumber = error;
    Discard();
    return false;
}

void FileRewrite::Discard() {
    // Removed before the descriptor lets go of its lock, so no sweep takes it meanwhile.
    if (m_created) {
        ::unlink(m_temporary.constData());
        m_created = false;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool FileRewrite::Begin() {
    struct stat original {};
    if (::stat(QFile::encodeName(m_target).constData(), &original) != 0) {
        return Fail("Cannot read", errno);
    }
    RemoveRewriteLeftoversOf(m_target);
    if (Faulted(RewriteFault::Create)) {
        return Fail("Cannot create", EACCES);
    }
    m_fd = CreateTemporaryBeside(QFile::encodeName(QFileInfo(m_target).absoluteFilePath()), m_temporary);
    if (m_fd < 0) {
        return Fail("Cannot create", errno);
    }
    m_created = true;
    // Ownership can only be kept where the system allows it; the permissions always are.
    if (::fchown(m_fd, original.st_uid, original.st_gid) != 0) {
        m_error.clear();
    }
    if (::fchmod(m_fd, original.st_mode & 07777) != 0) {
        return Fail("Cannot set permissions of", errno);
    }
    m_buffer.reserve(kChunk);
    return true;
}

bool FileRewrite::FlushBuffer() {
    if (m_fd < 0) {
        return false;
    }
    if (Faulted(RewriteFault::Write) && !m_buffer.isEmpty()) {
        return Fail("Cannot write", ENOSPC);
    }
    qsizetype written = 0;
    while (written < m_buffer.size()) {
        const ssize_t n =
            ::write(m_fd, m_buffer.constData() + written, static_cast<size_t>(m_buffer.size() - written));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Fail("Cannot write", n < 0 ? errno : ENOSPC);
        }
        written += n;
    }
    m_buffer.clear();
    return true;
}

bool FileRewrite::Append(const QByteArray& bytes) {
    if (m_fd < 0) {
        return false;
    }
    m_buffer.append(bytes);
    return m_buffer.size() < kChunk || FlushBuffer();
}

bool FileRewrite::AppendFrom(const FileReader& source, std::int64_t from, std::int64_t to) {
    if (m_fd < 0) {
        return false;
    }
    if (from < 0 || to > source.Size() || from > to) {
        return Fail("Cannot copy into", EINVAL);
    }
    QByteArray chunk(kChunk, Qt::Uninitialized);
    while (from < to) {
        const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(to - from, kChunk));
        const std::int64_t got = source.ReadAt(from, chunk.data(), wanted);
        if (got <= 0) {
            // The source shrank or failed under us; a short copy would be a damaged file.
            return Fail("Cannot copy into", got < 0 ? EIO : EINVAL);
        }
        if (!Append(QByteArray::fromRawData(chunk.constData(), static_cast<qsizetype>(got)))) {
            return false;
        }
        from += got;
    }
    return true;
}

namespace {

/// Writes all of `bytes` at `offset`; a system error number, or 0.
int WriteAllAt(int fd, std::int64_t offset, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written),
                     static_cast<off_t>(offset + written));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : ENOSPC;
        }
        written += n;
    }
    return 0;
}

}  // namespace

bool OverwriteInPlace(const QString& path, std::int64_t offset, const QByteArray& bytes,
                      const QByteArray& previous, QString& error) {
    const QByteArray native = QFile::encodeName(ResolvedTarget(path));
    const int fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot open " + path + ": " + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    int failure = 0;
    if (Faulted(RewriteFault::Write)) {
        // Half the bytes reach the file before the device fills up.
        WriteAllAt(fd, offset, bytes.left(bytes.size() / 2));
        failure = ENOSPC;
    } else {
        failure = WriteAllAt(fd, offset, bytes);
    }
    if (failure == 0 && (Faulted(RewriteFault::Sync) || ::fdatasync(fd) != 0)) {
        failure = Faulted(RewriteFault::Sync) ? EIO : errno;
    }
    if (failure != 0) {
        error = "Cannot write " + path + ": " + QString::fromLocal8Bit(std::strerror(failure));
        if (WriteAllAt(fd, offset, previous.left(bytes.size())) != 0 || ::fdatasync(fd) != 0) {
            error += " (and the old bytes could not be put back)";
        }
    }
    ::close(fd);
    return failure == 0;
}

bool FileRewrite::Commit() {
    if (!FlushBuffer()) {
        return false;
    }
    if (Faulted(RewriteFault::Sync) || ::fsync(m_fd) != 0) {
        return Fail("Cannot flush", Faulted(RewriteFault::Sync) ? EIO : errno);
    }
    // Renamed while the descriptor still holds the lock: once closed, the file would look like a
    // leftover to a sweep of another process. The fsync has already reported any failed write.
    if (Faulted(RewriteFault::Rename) ||
        ::rename(m_temporary.constData(), QFile::encodeName(m_target).constData()) != 0) {
        return Fail("Cannot rename", Faulted(RewriteFault::Rename) ? EBUSY : errno);
    }
    m_created = false;
    ::close(m_fd);
    m_fd = -1;
    // The new name is only durable once the folder is; the rewrite itself has already succeeded.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_target).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        if (::fsync(dirFd) != 0) {
            m_error.clear();
        }
        ::close(dirFd);
    }
    return true;
}

}  // namespace sw
