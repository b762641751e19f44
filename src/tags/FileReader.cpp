#include "FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sw {

namespace {

constexpr std::size_t kHeadSize = 16 * 1024;

QString SystemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

FileReader::~FileReader() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool FileReader::Open(const QString& path) {
    // Non-blocking, so that a named pipe given as an audio file cannot hang the open; the flag
    // means nothing to the regular files that get past the check below.
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0) {
        m_error = path + ": " + SystemText(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_error = path + ": " + (S_ISDIR(info.st_mode) ? SystemText(EISDIR) : QString("Not a regular file"));
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_size = info.st_size;
    const std::size_t headSize = static_cast<std::size_t>(std::min<std::int64_t>(m_size, kHeadSize));
    m_head.resize(static_cast<qsizetype>(headSize));
    std::size_t got = 0;
    while (got < headSize) {
        const ssize_t n = ::pread(m_fd, m_head.data() + got, headSize - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    m_head.resize(static_cast<qsizetype>(got));
    return true;
}

std::int64_t FileReader::ReadAt(std::int64_t offset, void* out, std::size_t length) const {
    if (m_fd < 0 || offset < 0) {
        return -1;
    }
    if (offset + static_cast<std::int64_t>(length) <= m_head.size()) {
        std::memcpy(out, m_head.constData() + offset, length);
        return static_cast<std::int64_t>(length);
    }
    std::size_t got = 0;
    auto* bytes = static_cast<char*>(out);
    while (got < length) {
        const ssize_t n = ::pread(m_fd, bytes + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(got);
}

QByteArray FileReader::ReadAt(std::int64_t offset, std::size_t length) const {
    if (offset < 0 || offset >= m_size) {
        return {};
    }
    const auto wanted =
        static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(length), m_size - offset));
    QByteArray bytes(static_cast<qsizetype>(wanted), Qt::Uninitialized);
    const std::int64_t got = ReadAt(offset, bytes.data(), wanted);
    bytes.resize(got > 0 ? static_cast<qsizetype>(got) : 0);
    return bytes;
}

}  // namespace sw
