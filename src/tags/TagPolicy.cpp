#include "TagPolicy.h"

#include <QFileInfo>
#include <memory>

#include "FlacTag.h"
#include "GenreLookup.h"
#include "Id3v1.h"
#include "Id3v2.h"
#include "OggVorbis.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "core/SongPaths.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

namespace {

constexpr int kLongestTagRatingText = 99;

std::uint8_t GenreIdOrNone(int id) {
    return id < 0 || id > 255 ? kNoGenre : static_cast<std::uint8_t>(id);
}

QString SqueezedRating(int rating) {
    return "Rating=" + QString::number(rating);
}

std::unique_ptr<TVorbisComments> VorbisCommentsFor(const QString& fileType) {
    if (fileType == "FLAC") {
        return std::make_unique<TFlacTag>();
    }
    return std::make_unique<TOggVorbis>(fileType == "OPUS" ? OggCodec::Opus : OggCodec::Vorbis);
}

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
    if (IsUntaggedType(song.FileType)) {
        return true;
    }

    bool result = true;
    if (song.FileType == "MP3") {
        if (m_library.settings.MP3TAGREADPREFV1V2 == 1) {
            ReadId3v1(song, m_state);
            if (song.TagSource != kTagId3v1) {
                ReadId3v2IntoSong(song);
            }
        } else {
            ReadId3v2IntoSong(song);
            if (song.TagSource != kTagId3v2) {
                ReadId3v1(song, m_state);
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

bool TagPolicy::SaveSongTags(TSong& song) {
    if (!QFileInfo(song.FullPath).isFile()) {
        if (m_reportMissingFiles) {
            ShowInfo("Audio file does not exist\r\n" + song.FullPath);
        }
        return false;
    }
    if (IsUntaggedType(song.FileType)) {
        return false;
    }
    if (song.FileType == "MP3") {
        const int policy = Mp3Policy();
        const bool retrying = !m_parkedSuffix.isEmpty();
        // A parked ID3v1 tag was never written, so its retry is the whole save over again.
        const bool retryingV1 = retrying && m_parkedV1;
        bool writeV1 = policy == 1 || policy == 2 || policy == 4;
        bool writeV2 = policy == 3 || policy == 4;
        bool despiteNoTags = false;
        if (policy == 0) {
            // The user already chose to save the tag that was parked.
            if (!retryingV1 && ConfirmNoTagSave(song)) {
                return false;
            }
            writeV1 = true;
            despiteNoTags = true;
        }
        if (writeV1 && useV2) {
            writeV1 = false;
            writeV2 = true;
        }
        if (retrying && !retryingV1) {
            writeV1 = false;
        }
        if (writeV1) {
            if (!WriteId3v1(song, policy, despiteNoTags, m_state)) {
                if (m_state.Id3v1FileInUse) {
                    ParkTag(song, "MP3v1");
                }
                return false;
            }
            if (retrying) {
                ShowTagSaved("MP3 ID3v1", song.FullPath);
            }
            if (!writeV2) {
                RemoveId3v2(song.FullPath);
            }
        }
        if (writeV2) {
            if (!SaveId3v2(song)) {
                return false;
            }
            // A parked tag saved later leaves the ID3v1 tag of the "both" policy in place.
            if (!writeV1 && !(retrying && policy == 4)) {
                RemoveId3v1(song.FullPath);
            }
        }
    } else if (IsVorbisCommentType(song.FileType)) {
        if (!SaveOggTag(song)) {
            return false;
        }
    }
    return true;
}

bool TagPolicy::ConfirmNoTagSave(const TSong& song) {
    return ConfirmSure("You have opted not to save tag details to the " + song.FileType + " file");
}

bool TagPolicy::SaveId3v2(TSong& song) {
    const int policy = Mp3Policy();
    if (!(policy == 3 || policy == 4 || (policy == 2 && useV2))) {
        return false;
    }
    useV2 = false;
    bool saved = false;
    {
        BusyScope busy;
        TID3v2 tag(m_state);
        tag.SetUnicodeTags(m_library.settings.UNICODETAGS);
        tag.Read(song.FullPath);
        tag.SetTitle(song.Title);
        tag.SetArtist(song.ArtistName);
        tag.SetAlbum(song.AlbumName);
        tag.SetTrack(song.Track);
        tag.SetYear(song.Year);
        tag.SetGenre(m_genres.GenreNameById(song.GenreId));
        tag.SetComment(song.Comment);
        if (tag.Composer().startsWith("Rating=", Qt::CaseInsensitive)) {
            tag.SetComposer(QString());
        }
        if (m_library.settings.SQUEEZERATING) {
            tag.SetEncoder(SqueezedRating(song.Rating));
        }
        saved = tag.Save(song.FullPath);
    }
    if (saved) {
        ShowTagSaved("MP3 ID3v2", song.FullPath);
    } else {
        ParkTag(song, "MP3");
    }
    return saved;
}

bool TagPolicy::SaveOggTag(TSong& song) {
    if (!m_library.settings.OGGTAG && ConfirmNoTagSave(song)) {
        return false;
    }
    // OGG, OPUS or FLAC: the kind the messages name.
    const QString kind = song.FileType;
    const std::unique_ptr<TVorbisComments> comments = VorbisCommentsFor(kind);
    bool saved = false;
    {
        BusyScope busy;
        comments->SetTitle(song.Title);
        comments->SetArtist(song.ArtistName);
        comments->SetAlbum(song.AlbumName);
        comments->SetTrack(song.Track);
        comments->SetDate(song.Year);
        comments->SetGenre(m_genres.GenreNameById(song.GenreId));
        comments->SetComment(song.Comment);
        if (m_library.settings.SQUEEZERATING) {
            comments->SetVendor(SqueezedRating(song.Rating));
        }
        saved = comments->Save(song.FullPath);
    }
    if (saved) {
        ShowTagSaved(kind, song.FullPath);
    } else if (CannotBeTagged(comments->LastFailure())) {
        // Parking would promise a save that no later try can make.
        ShowInfo(song.FullPath + "\r" + "File cannot be tagged (" + comments->LastFailureText() + "), " +
                 kind + " tag not saved");
    } else {
        ParkTag(song, kind);
    }
    return saved;
}

bool TagPolicy::RemoveId3v2(const QString& path) {
    TID3v2 tag(m_state);
    if (tag.Read(path) && tag.Exists()) {
        return tag.Remove(path);
    }
    return false;
}

void TagPolicy::ShowTagSaved(const QString& kind, const QString& path) {
    FlashMessage("Saving" + m_parkedSuffix + " " + kind + " tag to " + QuoteDouble(path));
}

void TagPolicy::ParkTag(const TSong& song, const QString& kind) {
    const bool v1 = kind == "MP3v1";
    const bool mp3 = kind == "MP3";
    const bool inUse = v1 || (mp3 && m_state.Id3v2WriteStage == kStageRewrite);
    const QString tag = v1 ? "ID3v1" : mp3 ? "ID3v2" : kind;
    ShowInfo(song.FullPath + "\r" + (inUse ? "File in use, " : "File error, ") + tag + " tag parked to " +
             "save" + " later");
    m_parked = song;
    m_parkedV1 = v1;
}

bool TagPolicy::RetryParkedTag() {
    if (m_parked.SongNum <= 0) {
        return false;
    }
    TSong song = m_parked;
    m_parkedSuffix = " parked";
    useV2 = !m_parkedV1;
    bool saved = false;
    try {
        saved = SaveSongTags(song);
        if (saved) {
            m_library.songs.SaveSong(song);
        } else {
            ShowInfo("Failed to save parked tag for song " + QuoteDouble(song.Title) + "\r\n" +
                     "You need do nothing, the Songs database remains up to date");
        }
    } catch (...) {
        m_parkedSuffix.clear();
        useV2 = false;
        ClearSong(m_parked);
        m_parkedV1 = false;
        throw;
    }
    m_parkedSuffix.clear();
    useV2 = false;
    ClearSong(m_parked);
    m_parkedV1 = false;
    return saved;
}

bool TagPolicy::Id3v1Overflow(const QString& text, int limit) {
    if (CharCount(text) <= limit) {
        return false;
    }
    m_truncatedSample = LeftChars(text, limit);
    return true;
}

bool TagPolicy::Id3v1Fits(const TSong& song) {
    bool fits = true;
    fits = !Id3v1Overflow(song.Title, 30) && fits;
    fits = !Id3v1Overflow(song.AlbumName, 30) && fits;
    fits = !Id3v1Overflow(song.ArtistName, 30) && fits;
    fits = !Id3v1Overflow(song.Comment, 29) && fits;
    return fits;
}

int TagPolicy::AskTruncateOrV2() {
    return AskChoice(
        "Tag details too long for ID3v1; use ID3v2? or truncate to\r" + QuoteDouble(m_truncatedSample),
        "Truncate v1", "Use v2");
}

bool TagPolicy::ChooseId3v1OrV2(const TSong& song, int tagSourceOfFile) {
    useV2 = false;
    if (song.FileType != "MP3" || Mp3Policy() != 2) {
        return false;
    }
    if (tagSourceOfFile == kTagId3v2 && Confirm("Skip V1 tag checks since V2 tag is already present ?")) {
        useV2 = true;
        return false;
    }
    if (Id3v1Fits(song)) {
        return false;
    }
    switch (AskTruncateOrV2()) {
        case 0:
            return true;
        case 2:
            useV2 = true;
            return false;
        default:
            return false;
    }
}

}  // namespace sw
