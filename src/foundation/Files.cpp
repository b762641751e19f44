#include "Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "Dialogs.h"
#include "Text.h"

namespace sw {

namespace {

[[noreturn]] void ThrowMissing(const QString& path) {
    throw std::runtime_error(("File not found: " + path).toStdString());
}

struct FoundEntry {
    QString name;
    char kind;
};

/// The one folder search of the program; a new search while one is open is a program error.
struct FolderSearch {
    bool open = false;
    std::vector<FoundEntry> entries;
    std::size_t next = 0;
    char lastKind = ' ';
};

FolderSearch& Search() {
    static FolderSearch search;
    return search;
}

bool Matches(const QFileInfo& info, int mask) {
    if (mask == 0) {
        return true;
    }
    const bool isDir = info.isDir();
    if (isDir) {
        return (mask & kAttrDirectory) != 0;
    }
    return (mask & ~kAttrDirectory) != 0;
}

}  // namespace

std::int64_t FileSizeBytes(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

TDateTime FileModifiedTime(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        ThrowMissing(path);
    }
    return FromQDateTime(info.lastModified());
}

TDateTime FileCreatedTime(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct statx sx {};
    if (statx(AT_FDCWD, native.constData(), 0, STATX_BTIME | STATX_MTIME | STATX_TYPE, &sx) != 0 ||
        S_ISDIR(sx.stx_mode)) {
        ThrowMissing(path);
    }
    const statx_timestamp& ts = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime;
    const qint64 ms = static_cast<qint64>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
    return FromQDateTime(QDateTime::fromMSecsSinceEpoch(ms));
}

bool DeleteFileReporting(const QString& path) {
    if (::unlink(QFile::encodeName(path).constData()) == 0) {
        return true;
    }
    const int error = errno;
    ShowInfo("Delete " + path + "\n" + "Error " + QString::number(error) + " " +
             QString::fromLocal8Bit(std::strerror(error)));
    return false;
}

namespace {

/// The file a path finally names: symbolic links followed (relative targets resolved against
/// the link's folder), even when the last one dangles.
QByteArray FollowLinks(QByteArray path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t length = ::readlink(path.constData(), buffer.data(), buffer.size());
        if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) {
            return path;
        }
        QByteArray target(buffer.data(), static_cast<qsizetype>(length));
        if (!target.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            target.prepend(slash >= 0 ? path.left(slash + 1) : QByteArray());
        }
        path = target;
    }
    return path;
}

// Room in a file name for the dot, the "~" and the six random characters of the temporary name.
constexpr qsizetype kLongestBaseName = 255 - 8;

}  // namespace

int CreateTemporaryBeside(const QByteArray& target, QByteArray& temporary) {
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray base = target.mid(slash + 1);
    if (base.size() > kLongestBaseName) {
        qsizetype cut = kLongestBaseName;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        base.truncate(cut);
    }
    temporary = target.left(slash + 1) + "." + base + "~XXXXXX";
    return ::mkostemp(temporary.data(), O_CLOEXEC);
}

void WriteFileAtomically(const QString& path, const QByteArray& content) {
    // A link (a settings file kept in a dotfiles folder) stays a link: its target is replaced.
    const QByteArray target = FollowLinks(QFile::encodeName(path));
    QByteArray temporary;
    struct stat original {};
    const bool exists = ::stat(target.constData(), &original) == 0;
    if (exists && S_ISREG(original.st_mode) &&
        ((original.st_mode & 0222) == 0 || ::access(target.constData(), W_OK) != 0)) {
        // Replacing the file through the folder would get past its protection.
        throw std::runtime_error("The file " + QDir::cleanPath(QFile::decodeName(target)).toStdString() +
                                 " is read-only");
    }
    auto fail = [&](const char* what) {
        const int error = errno;
        ::unlink(temporary.constData());
        throw std::runtime_error(std::string(what) + " " + temporary.toStdString() + ": " +
                                 std::strerror(error));
    };
    const int fd = CreateTemporaryBeside(target, temporary);
    if (fd < 0) {
        const int error = errno;
        throw std::runtime_error("Cannot create a temporary file beside " + target.toStdString() + ": " +
                                 std::strerror(error));
    }
    if (!exists || !S_ISREG(original.st_mode)) {
        // A new file gets the usual permissions rather than the private ones of a temporary file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask) != 0) {
            ::close(fd);
            fail("Cannot set the permissions of");
        }
    }
    if (exists && S_ISREG(original.st_mode)) {
        // The new file keeps the old one's permissions and, where allowed, its owner and group.
        [[maybe_unused]] const int owned = ::fchown(fd, original.st_uid, original.st_gid);
        if (::fchmod(fd, original.st_mode & 07777) != 0) {
            ::close(fd);
            fail("Cannot set the permissions of");
        }
    }
    qsizetype written = 0;
    while (written < content.size()) {
        const ssize_t n =
            ::write(fd, content.constData() + written, static_cast<size_t>(content.size() - written));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ::close(fd);
            fail("Cannot write");
        }
        written += n;
    }
    if (::fsync(fd) != 0) {
        ::close(fd);
        fail("Cannot flush");
    }
    if (::close(fd) != 0) {
        fail("Cannot close");
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        fail("Cannot rename");
    }
    // The rename itself becomes durable with its folder.
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}

bool FindFirstEntry(const QString& folder, const QString& pattern, int attributeMask) {
    FolderSearch& search = Search();
    if (search.open) {
        ShowProgramError("FindFileClose omitted");
    }
    search = FolderSearch{};

    QString base = folder;
    AddTrailingBackslash(base);
    const QString wildcard = pattern == "*.*" ? QString("*") : pattern;
    const QDir dir(base.isEmpty() ? QString(".") : base);
    const QFileInfoList infos =
        dir.entryInfoList({wildcard}, QDir::AllEntries | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo& info : infos) {
        if (!Matches(info, attributeMask)) {
            continue;
        }
        const QString name = info.fileName();
        const char kind = (name == "." || name == "..") ? ' ' : info.isDir() ? 'D' : 'F';
        search.entries.push_back({name, kind});
    }
    search.open = !search.entries.empty();
    return search.open;
}

bool FindNextEntry(QString& name) {
    FolderSearch& search = Search();
    if (!search.open || search.next >= search.entries.size()) {
        search.open = false;
        return false;
    }
    const FoundEntry& entry = search.entries[search.next++];
    name = entry.name;
    search.lastKind = entry.kind;
    return true;
}

char EntryKind() {
    return Search().lastKind;
}

}  // namespace sw
