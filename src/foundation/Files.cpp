#include "Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
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

QString ReadFailureOf(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    char byte = 0;
    ssize_t got = 0;
    do {
        got = ::read(fd, &byte, 1);
    } while (got < 0 && errno == EINTR);
    const int error = errno;
    ::close(fd);
    return got < 0 ? QString::fromLocal8Bit(std::strerror(error)) : QString();
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

// Room in a file name for the dot, the "~" and the six characters of the temporary name.
constexpr qsizetype kLongestBaseName = 255 - 8;
constexpr char kNameAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr quint32 kAlphabetSize = sizeof(kNameAlphabet) - 1;
constexpr qsizetype kRandomChars = 4;
constexpr qsizetype kTailChars = 6;  // the random characters and the two check characters
constexpr quint32 kRandomNames = kAlphabetSize * kAlphabetSize * kAlphabetSize * kAlphabetSize;
// Names to try before giving up, as mkstemp does when every name it draws is taken.
constexpr int kCreateAttempts = 100;

/// The two characters that end a temporary name, from the rest of it (".<base>~" and the random
/// characters), by FNV-1a: a user's file of the same shape (".song.mp3~backup") has one chance in
/// 3844 of passing for one of ours, where without them it would always pass.
QByteArray CheckChars(const QByteArray& head) {
    quint32 hash = 2166136261u;
    for (const char c : head) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    hash %= kAlphabetSize * kAlphabetSize;
    const char chars[] = {kNameAlphabet[hash % kAlphabetSize], kNameAlphabet[hash / kAlphabetSize]};
    return QByteArray(chars, 2);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

QByteArray TemporaryNamePrefix(const QByteArray& fileName) {
    QByteArray base = fileName;
    if (base.size() > kLongestBaseName) {
        qsizetype cut = kLongestBaseName;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        base.truncate(cut);
    }
    return "." + base + "~";
}

bool IsTemporaryName(const QByteArray& name) {
    const qsizetype head = name.size() - kTailChars + kRandomChars;
    if (name.size() < 3 + kTailChars || !name.startsWith('.') || name[name.size() - kTailChars - 1] != '~') {
        return false;
    }
    for (qsizetype i = name.size() - kTailChars; i < name.size(); ++i) {
        if (std::strchr(kNameAlphabet, name[i]) == nullptr || name[i] == '\0') {
            return false;
        }
    }
    return name.mid(head) == CheckChars(name.left(head));
}

int CreateTemporaryBeside(const QByteArray& target, QByteArray& temporary) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray prefix = target.left(slash + 1) + TemporaryNamePrefix(target.mid(slash + 1));
    const qsizetype nameStart = slash + 1;
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        quint32 draw = QRandomGenerator::system()->bounded(kRandomNames);
        QByteArray name = prefix;
        for (qsizetype i = 0; i < kRandomChars; ++i, draw /= kAlphabetSize) {
            name += kNameAlphabet[draw % kAlphabetSize];
        }
        name += CheckChars(name.mid(nameStart));
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return -1;
        }
        // A sweep of another process may have taken the new file for a leftover in the instant
        // before it was locked; then it is left to that sweep and another name is drawn. A file
        // system without locks leaves it unlocked, and no sweep can lock it there either.
        struct stat held {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            ::close(fd);
            continue;
        }
        if (::fstat(fd, &held) != 0 || ::lstat(name.constData(), &named) != 0 || !SameFile(held, named)) {
            ::close(fd);
            continue;
        }
        temporary = name;
        return fd;
    }
    errno = EEXIST;
    return -1;
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
    int fd = -1;
    auto fail = [&](const char* what) {
        const int error = errno;
        // Removed before the descriptor lets go of its lock, so no sweep takes it meanwhile.
        ::unlink(temporary.constData());
        ::close(fd);
        throw std::runtime_error(std::string(what) + " " + temporary.toStdString() + ": " +
                                 std::strerror(error));
    };
    fd = CreateTemporaryBeside(target, temporary);
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
            fail("Cannot set the permissions of");
        }
    }
    if (exists && S_ISREG(original.st_mode)) {
        // The new file keeps the old one's permissions and, where allowed, its owner and group.
        [[maybe_unused]] const int owned = ::fchown(fd, original.st_uid, original.st_gid);
        if (::fchmod(fd, original.st_mode & 07777) != 0) {
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
            fail("Cannot write");
        }
        written += n;
    }
    if (::fsync(fd) != 0) {
        fail("Cannot flush");
    }
    // Renamed while the descriptor still holds the lock: once closed, the file would look like a
    // leftover to a sweep of another process. The fsync has already reported any failed write.
    if (::rename(temporary.constData(), target.constData()) != 0) {
        fail("Cannot rename");
    }
    ::close(fd);
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
