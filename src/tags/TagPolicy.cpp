#include "TagPolicy.h"

#include <QFileInfo>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "ByteSource.h"
#include "ContainerTag.h"
#include "FileReader.h"
#include "GenreLookup.h"
#include "Id3v1.h"
#include "Id3v2.h"
#include "TagPolicyHelpers.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "core/SongPaths.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

namespace {

constexpr int kLongestTagRatingText = 99;

}  // namespace

int RatingFromText(const QString& text) {
    if (!text.startsWith("Rating=", Qt::CaseInsensitive)) {
        return 0;
    }
    const QString number = text.mid(7, kLongestTagRatingText);
    // "Rating=" alone is as broken as "Rating=abc" and is reported the same way.
    if (number.isEmpty()) {
        ShowInfo("Invalid integer " + QuoteDouble(number));
        return 0;
    }
    int rating = 0;
    return ParseIntOrWarn(number, rating) ? rating : 0;
}

bool IsUntaggedType(const QString& fileType) {
    return fileType == "WAV" || fileType == "M4A" || fileType == "WMA";
}

bool IsVorbisCommentType(const QString& fileType) {
    return fileType == "OGG" || fileType == "OPUS" || fileType == "FLAC";
}

bool IsAudioType(const QString& fileType, bool flacAndOpus) {
    return fileType == "MP3" || fileType == "OGG" || IsUntaggedType(fileType) ||
           (flacAndOpus && IsVorbisCommentType(fileType));
}

TagPolicy::TagPolicy(Library& library, GenreLookup& genres, TagState& state)
    : m_library(library), m_genres(genres), m_state(state) {}

int TagPolicy::Mp3Policy() const {
    return m_library.settings.MP3TAGPOLICY;
}

bool TagPolicy::ReadSongFromFile(const QString& path, TSong& song, ResolveMode mode) {
    ClearSong(song);
    song.FullPath = path;
    song.FileName = m_library.songs.RelativePathOf(path);
    song.Title = SongTitleFromFileName(path);
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile()) {
        song.TagSource = kTagNoFile;
        return false;
    }
    song.Exi = true;
    song.Size = static_cast<int>(file.size());
    song.FileType = FileTypeOf(path);
    bool result = true;
    if (IsReadOnlyTagType(song.FileType)) {
        if (!ReadContainerTagIntoSong(song)) {
            // Without a tag it comes in by its file name, as a WAV file does: a "no tag" here
            // would ask for one to be written.
            song.TagSource = kTagNotRead;
            return true;
        }
    } else if (IsUntaggedType(song.FileType)) {
        return true;
    } else if (song.FileType == "MP3") {
        if (m_library.settings.MP3TAGREADPREFV1V2 == 1) {
            ReadId3v1(song, m_state);
            if (song.TagSource != kTagId3v1) {
                ReadId3v2IntoSong(song);
            }
        } else {
            ReadId3v2IntoSong(song);
            if (song.TagSource != kTagId3v2) {
                ReadId3v1(song, m_state);
            } else {
                // What the ID3v2 tag leaves out, the ID3v1 tag may hold: a save under the
                // policies that write ID3v1 keeps in ID3v2 only what ID3v1 cannot hold.
                // (Read here without the event pass ReadId3v1 makes: the caller may be a window
                // that is still being filled.)
                FileReader trailer;
                const TTag v1 = trailer.Open(song.FullPath) && trailer.Size() > kId3v1Size
                                    ? ParseId3v1(trailer.ReadAt(trailer.Size() - kId3v1Size, kId3v1Size))
                                    : TTag{};
                if (v1.Header == "TAG") {
                    if (m_lastId3v2Title.isEmpty() && !v1.Title.isEmpty()) {
                        song.Title = v1.Title;
                    }
                    // A comment players keep their data in is no comment of the user's.
                    if (!m_lastId3v2PlainComment) {
                        song.Comment = v1.Comment;
                    }
                    for (auto [field, fallback] : {std::pair{&song.ArtistName, &v1.Artist},
                                                   std::pair{&song.AlbumName, &v1.Album},
                                                   std::pair{&song.Year, &v1.Year}}) {
                        if (field->isEmpty()) {
                            *field = *fallback;
                        }
                    }
                    if (song.Track == 0) {
                        song.Track = v1.Track;
                    }
                    if (song.GenreName.isEmpty() && song.GenreId == kNoGenre) {
                        song.GenreId = v1.Genre;
                        song.GenreName = m_genres.GenreNameById(v1.Genre);
                    }
                    NoteTagRead(m_state, song);
                }
            }
        }
        song.Rating = RatingFromTags();
    } else if (IsVorbisCommentType(song.FileType)) {
        ReadOggIntoSong(song);
        song.Rating = RatingFromTags();
    } else {
        song.TagSource = kTagOtherType;
        result = false;
    }

    // A track number left out of the tag is taken from the title's last digits ("Song 07"); one
    // that a track byte cannot hold is ignored rather than cut to a wrong number.
    if (song.Track == 0 && !song.AlbumName.isEmpty()) {
        const int number = TrailingNumber(song.Title);
        if (number > 0 && number <= 255) {
            song.Track = static_cast<std::uint8_t>(number);
        }
    }

    if (mode == ResolveMode::Lookup) {
        song.ArtistId = m_library.artists.FindArtistByName(song.ArtistName);
        song.AlbumId = m_library.albums.FindAlbumByNameOnly(song.AlbumName);
    } else if (mode == ResolveMode::Create) {
        song.ArtistId = m_library.artists.FindOrCreateArtist(song.ArtistName);
        song.AlbumId = m_library.albums.FindOrCreateAlbum(song.AlbumName, song.ArtistId);
    }
    return result;
}

bool TagPolicy::ReadId3v2IntoSong(TSong& song) {
    m_state.LastTagExtras = {};
    m_lastId3v2Title.clear();
    m_lastId3v2PlainComment = false;
    song.TagSource = kTagNoTag;
    TID3v2 tag(m_state);
    tag.SetUnicodeTags(m_library.settings.UNICODETAGS);
    if (!tag.Read(song.FullPath) || !tag.Exists()) {
        return false;
    }
    if (m_state.UnicodeFrameSeen) {
        song.TagSource = kTagId3v2Unicode;
        unicodeTagsIgnored = true;
        return false;
    }
    m_lastId3v2Title = tag.Title();
    m_lastId3v2PlainComment = tag.PlainComment();
    if (!tag.Title().isEmpty()) {
        song.Title = tag.Title();
    }
    song.ArtistName = tag.Artist();
    song.AlbumName = tag.Album();
    song.Track = tag.Track();
    song.Comment = tag.Comment();
    song.Year = tag.Year().left(4);
    song.GenreName = tag.Genre();
    song.GenreId = GenreIdOrNone(m_genres.GenreIdForName(tag.Genre()));
    m_state.LastTagExtras.Composer = tag.Composer();
    m_state.LastTagExtras.Encoder = tag.Encoder();
    m_state.LastTagExtras.Copyright = tag.Copyright();
    m_state.LastTagExtras.Language = tag.Language();
    m_state.LastTagExtras.Link = tag.Link();
    song.TagSource = kTagId3v2;
    NoteTagRead(m_state, song);
    return true;
}

bool TagPolicy::ReadOggIntoSong(TSong& song) {
    m_state.LastTagExtras = {};
    song.TagSource = kTagNoTag;
    const std::unique_ptr<TVorbisComments> comments = VorbisCommentsFor(song.FileType);
    if (!comments->Read(song.FullPath)) {
        return false;
    }
    song.TagSource = kTagOgg;
    if (!comments->Title().isEmpty()) {
        song.Title = comments->Title();
    }
    song.ArtistName = comments->Artist();
    song.AlbumName = comments->Album();
    song.Track = comments->Track();
    song.Comment = comments->Comment();
    song.Year = comments->Date().left(4);
    song.GenreId = GenreIdOrNone(m_genres.GenreIdForName(comments->Genre()));
    song.GenreName = comments->Genre();
    m_state.LastTagExtras.Vendor = comments->Vendor();
    NoteTagRead(m_state, song);
    return true;
}

bool TagPolicy::ReadContainerTagIntoSong(TSong& song) {
    m_state.LastTagExtras = {};
    song.TagSource = kTagNoTag;
    FileReader file;
    if (!file.Open(song.FullPath)) {
        throw std::runtime_error(file.Error().toStdString());
    }
    const FileSource source(file);
    const std::optional<TContainerTag> tag = song.FileType == "WMA" ? ReadAsfTag(source) : ReadMp4Tag(source);
    if (!tag) {
        return false;
    }
    song.TagSource = kTagMp4OrAsf;
    if (!tag->Title.isEmpty()) {
        song.Title = tag->Title;
    }
    song.ArtistName = tag->Artist;
    song.AlbumName = tag->Album;
    song.Track = tag->Track;
    song.Comment = tag->Comment;
    song.Year = tag->Date.left(4);
    if (!tag->Genre.isEmpty() || tag->GenreNumber < 0) {
        song.GenreId = GenreIdOrNone(m_genres.GenreIdForName(tag->Genre));
        song.GenreName = tag->Genre;
    } else {
        // An ID3v1 genre number, as an ID3v1 tag gives it.
        song.GenreId = GenreIdOrNone(tag->GenreNumber);
        song.GenreName = m_genres.GenreNameById(song.GenreId);
    }
    NoteTagRead(m_state, song);
    return true;
}

int TagPolicy::RatingFromTags() const {
    const TLastTagExtras& extras = m_state.LastTagExtras;
    for (const QString* text : {&extras.Encoder, &extras.Composer, &extras.Copyright, &extras.Language,
                                &extras.Link, &extras.Vendor}) {
        const int rating = RatingFromText(*text);
        if (rating != 0) {
            return rating;
        }
    }
    return 0;
}

}  // namespace sw
