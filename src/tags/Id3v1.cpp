#include "Id3v1.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "FileReader.h"
#include "FileRewrite.h"
#include "HeldFiles.h"
#include "TagText.h"
#include "core/Song.h"
#include "foundation/Dialogs.h"

namespace sw {

namespace {

struct FieldPlace {
    int Offset;
    int Size;
};

constexpr FieldPlace kTitle{3, 30};
constexpr FieldPlace kArtist{33, 30};
constexpr FieldPlace kAlbum{63, 30};
constexpr FieldPlace kYear{93, 4};
constexpr FieldPlace kComment{97, 29};
constexpr int kTrackOffset = 126;
constexpr int kGenreOffset = 127;

QString TakeField(const QByteArray& block, FieldPlace place) {
    QByteArray bytes = block.mid(place.Offset, place.Size);
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) {
        bytes.truncate(zero);
    }
    while (!bytes.isEmpty() && bytes.back() == ' ') {
        bytes.chop(1);
    }
    return DecodeWindows1252(bytes);
}

void PutField(QByteArray& block, FieldPlace place, const QString& text) {
    const QByteArray bytes = EncodeWindows1252(LeftChars(text, place.Size));
    std::memcpy(block.data() + place.Offset, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool StartsWithTag(const QByteArray& block) {
    return block.startsWith("TAG");
}

[[noreturn]] void ThrowSystemError(const QString& what, const QString& path, int error) {
    throw std::runtime_error(
        (what + " " + path + ": " + QString::fromLocal8Bit(std::strerror(error))).toStdString());
}

bool WriteAllAt(int fd, const QByteArray& bytes, off_t offset) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done),
                                   offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        done += n;
    }
    return true;
}

/// Closes the descriptor however the write ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

}  // namespace

TTag ParseId3v1(const QByteArray& block) {
    TTag tag;
    if (block.size() != kId3v1Size) {
        return tag;
    }
    tag.Header = DecodeWindows1252(block.left(3));
    if (tag.Header != "TAG") {
        return tag;
    }
    tag.Year = TakeField(block, kYear);
    tag.Title = TakeField(block, kTitle);
    tag.Artist = TakeField(block, kArtist);
    tag.Album = TakeField(block, kAlbum);
    tag.Comment = TakeField(block, kComment);
    tag.Track = static_cast<std::uint8_t>(block[kTrackOffset]);
    tag.Genre = static_cast<std::uint8_t>(block[kGenreOffset]);
    return tag;
}

TTag Id3v1TagOf(const TSong& song) {
    TTag tag;
    tag.Title = song.Title;
    tag.Artist = song.ArtistName;
    tag.Album = song.AlbumName;
    tag.Comment = song.Comment;
    tag.Year = song.Year;
    tag.Track = song.Track;
    tag.Genre = song.GenreId;
    return tag;
}

QByteArray FormatId3v1(const TTag& tag) {
    QByteArray block(kId3v1Size, '\0');
    std::memcpy(block.data(), "TAG", 3);
    PutField(block, kTitle, tag.Title);
    PutField(block, kArtist, tag.Artist);
    PutField(block, kAlbum, tag.Album);
    PutField(block, kYear, tag.Year);
    PutField(block, kComment, tag.Comment);
    block[kTrackOffset] = static_cast<char>(tag.Track);
    block[kGenreOffset] = static_cast<char>(tag.Genre);
    return block;
}

bool ReadId3v1(TSong& song, TagState& state) {
    state.LastTagExtras = {};
    song.TagSource = kTagNoTag;
    bool found = false;
    {
        FileReader file;
        if (!file.Open(song.FullPath)) {
            throw std::runtime_error(file.Error().toStdString());
        }
        if (file.Size() > kId3v1Size) {
            const TTag tag = ParseId3v1(file.ReadAt(file.Size() - kId3v1Size, kId3v1Size));
            if (tag.Header == "TAG") {
                found = true;
                song.TagSource = kTagId3v1;
                song.Title = tag.Title;
                song.ArtistName = tag.Artist;
                song.AlbumName = tag.Album;
                song.Comment = tag.Comment;
                song.Year = tag.Year;
                song.Track = tag.Track;
                song.GenreId = tag.Genre;
                NoteTagRead(state, song);
            }
        }
    }
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents();
    }
    return found;
}

bool WriteId3v1(const TSong& song, int mp3TagPolicy, bool savingDespiteNoTagPolicy, TagState& state) {
    state.Id3v1FileInUse = false;
    const bool policyWantsV1 = mp3TagPolicy == 1 || mp3TagPolicy == 2 || mp3TagPolicy == 4;
    if (!policyWantsV1 && !(mp3TagPolicy == 0 && savingDespiteNoTagPolicy)) {
        return false;
    }
    if (song.FileType != "MP3") {
        ShowProgramError("Trying to save MP3v1 tag to non-MP3 file");
        return false;
    }
    // A file the audio engine holds is written later, as a whole save, like the rewrites: a
    // trailer written now could sit beside an old ID3v2 tag that cannot be removed until then.
    if (HeldFiles::IsHeld(song.FullPath)) {
        state.Id3v1FileInUse = true;
        return false;
    }
    const QByteArray native = QFile::encodeName(song.FullPath);
    Descriptor file{::open(native.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0) {
        ThrowSystemError("Cannot open", song.FullPath, errno);
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        ThrowSystemError("Cannot open", song.FullPath, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        ThrowSystemError("Cannot open", song.FullPath, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    const off_t length = info.st_size;
    off_t place = length;
    QByteArray previous;
    if (length >= kId3v1Size + 1) {
        previous = QByteArray(kId3v1Size, '\0');
        if (::pread(file.fd, previous.data(), kId3v1Size, length - kId3v1Size) != kId3v1Size) {
            ThrowSystemError("Cannot read", song.FullPath, errno != 0 ? errno : EIO);
        }
        if (StartsWithTag(previous)) {
            place = length - kId3v1Size;
        }
    }

    const QByteArray block = FormatId3v1(Id3v1TagOf(song));

    if (!WriteAllAt(file.fd, block, place) || ::fsync(file.fd) != 0) {
        const int error = errno;
        // Put back what was there, so a failed write never leaves part of a tag behind.
        if (place == length) {
            if (::ftruncate(file.fd, length) != 0) {
                ThrowSystemError("Cannot write (and cannot undo)", song.FullPath, error);
            }
        } else if (!WriteAllAt(file.fd, previous, place)) {
            ThrowSystemError("Cannot write (and cannot undo)", song.FullPath, error);
        }
        ThrowSystemError("Cannot write", song.FullPath, error);
    }
    return true;
}

bool RemoveId3v1(const QString& path) {
    if (!IsRegularFile(path)) {
        return false;
    }
    // The audio engine reads the file to its end; cutting it under the engine is what an
    // exclusive open prevents.
    if (HeldFiles::IsHeld(path)) {
        return false;
    }
    Descriptor file{::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || info.st_size <= kId3v1Size) {
        return false;
    }
    char marker[3] = {};
    if (::pread(file.fd, marker, 3, info.st_size - kId3v1Size) != 3 || std::memcmp(marker, "TAG", 3) != 0) {
        return false;
    }
    return ::ftruncate(file.fd, info.st_size - kId3v1Size) == 0;
}

bool RemoveId3v1(const TSong& song) {
    return RemoveId3v1(song.FullPath);
}

}  // namespace sw
