#include "TagPolicy.h"

#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "ByteSource.h"
#include "ContainerTag.h"
#include "FlacTag.h"
#include "GenreLookup.h"
#include "HeldFiles.h"
#include "Id3v1.h"
#include "Id3v2.h"
#include "OggVorbis.h"
#include "FileReader.h"
#include "Id3v2Frames.h"
#include "core/ColumnWidths.h"
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

// Genres up to this id are those of the ID3v1 list, which every reader names alike.
constexpr int kLastId3v1Genre = 147;
// A comment this long leaves the ID3v1 tag room for the track number.
constexpr int kCommentBesideTrack = 28;

/// The catalogue keeps texts cut to its columns: a cut of the tag's own text is no change.
QString UnlessCutOf(const QString& inTag, const QString& fromSong, int width) {
    if (CharCount(fromSong) == width && inTag.startsWith(fromSong)) {
        return inTag;
    }
    return fromSong;
}

/// Which fields (by ID3v2 frame kind) an ID3v1 tag holding the song's details holds in full,
/// as any reader of ID3v1 would read them back.
std::array<bool, kFrameKindCount> HeldById3v1(const TSong& song) {
    const TTag back = ParseId3v1(FormatId3v1(Id3v1TagOf(song)));
    const bool roomForTrack = CharCount(song.Comment) <= kCommentBesideTrack;
    std::array<bool, kFrameKindCount> held{};
    held[kFrameTitle] = back.Title == song.Title;
    held[kFrameArtist] = back.Artist == song.ArtistName;
    held[kFrameAlbum] = back.Album == song.AlbumName;
    held[kFrameYear] = back.Year == song.Year;
    held[kFrameComment] = back.Comment == song.Comment && (song.Track == 0 || roomForTrack);
    held[kFrameTrack] = song.Track == 0 || roomForTrack;
    held[kFrameGenre] = song.GenreId == kNoGenre || song.GenreId <= kLastId3v1Genre;
    return held;
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

bool TagPolicy::SaveSongTags(TSong& song) {
    if (!QFileInfo(song.FullPath).isFile()) {
        if (m_reportMissingFiles) {
            ShowInfo("Audio file does not exist\r\n" + song.FullPath);
        }
        return false;
    }
    if (IsUntaggedType(song.FileType)) {
        if (IsReadOnlyTagType(song.FileType)) {
            ShowInfo(song.FullPath + "\r" + "File cannot be tagged (" + song.FileType +
                     " tags are read, never written), " + song.FileType + " tag not saved");
        }
        return false;
    }
    if (song.FileType == "MP3") {
        const int policy = Mp3Policy();
        const bool retrying = !m_parkedSuffix.isEmpty();
        // A parked ID3v1 tag was never written, so its retry is the whole save over again.
        const bool retryingV1 = retrying && m_retryingV1;
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
        // The ID3v1 trailer goes first, so it is not written to a file whose ID3v2 tag could not
        // then be kept whole. (An ID3v2 save checks that itself before it writes anything.)
        if (writeV1 && !Id3v2TagWritable(song)) {
            return false;
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
            if (!writeV2 && !ComplementId3v1(song)) {
                return false;
            }
        }
        if (writeV2) {
            if (!SaveId3v2(song)) {
                return false;
            }
            // A parked tag saved later leaves the ID3v1 tag of the "both" policy in place. The
            // ID3v2 tag now holds every detail in full, so the ID3v1 tag takes nothing with it.
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

bool TagPolicy::Id3v2TagWritable(const TSong& song) {
    FileReader file;
    if (!file.Open(song.FullPath)) {
        return true;  // the write itself reports what stands in its way
    }
    const Id3v2Layout layout = ReadId3v2Layout(file);
    QString why = layout.Damage;
    if (why.isEmpty() && layout.Exists && !m_library.settings.UNICODETAGS) {
        TagState scratch;
        TID3v2 tag(scratch);
        tag.Read(song.FullPath);
        if (tag.Ignored()) {
            why = layout.Version == 4 ? "its ID3v2.4 tag is read only with \"Read and write Unicode tags\" on"
                                      : "its ID3v2 tag holds Unicode text, read only with \"Read and write "
                                        "Unicode tags\" on";
        }
    }
    if (why.isEmpty()) {
        return true;
    }
    ReportUnwritten(song, "MP3", why);
    return false;
}

bool TagPolicy::ConfirmNoTagSave(const TSong& song) {
    return ConfirmSure("You have opted not to save tag details to the " + song.FileType + " file");
}

void TagPolicy::PutSongIntoId3v2(TID3v2& tag, const TSong& song) const {
    tag.SetTitle(UnlessCutOf(tag.Title(), song.Title, kSongTitleWidth));
    tag.SetArtist(UnlessCutOf(tag.Artist(), song.ArtistName, kArtistNameWidth));
    tag.SetAlbum(UnlessCutOf(tag.Album(), song.AlbumName, kAlbumNameWidth));
    tag.SetComment(UnlessCutOf(tag.Comment(), song.Comment, kSongCommentWidth));
    tag.SetTrack(song.Track);
    // The catalogue keeps the year of a recording time ("2004-05-12") and the genre by its id.
    if (song.Year.isEmpty() || !tag.Year().startsWith(song.Year) || CharCount(song.Year) != kSongYearWidth) {
        tag.SetYear(song.Year);
    }
    const int tagGenre = m_genres.GenreIdForName(tag.Genre());
    if (GenreIdOrNone(tagGenre) != song.GenreId) {
        tag.SetGenre(m_genres.GenreNameById(song.GenreId));
    }
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
        PutSongIntoId3v2(tag, song);
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
    } else if (m_state.Id3v2WriteStage == kStageRewrite) {
        ParkTag(song, "MP3");
    } else {
        ReportUnwritten(song, "MP3 ID3v2",
                        m_state.Id3v2Error.isEmpty() ? "cannot be written" : m_state.Id3v2Error);
    }
    return saved;
}

bool TagPolicy::ComplementId3v1(const TSong& song) {
    const std::array<bool, kFrameKindCount> held = HeldById3v1(song);
    TID3v2 tag(m_state);
    tag.SetUnicodeTags(m_library.settings.UNICODETAGS);
    tag.Read(song.FullPath);
    if (!tag.Exists() && std::all_of(held.begin(), held.begin() + kFrameComposer, [](bool h) { return h; })) {
        return true;
    }
    // A frame that says more than ID3v1 can ("4/12", "1999-05-01") stays.
    const bool trackSaysMore = tag.Track() == song.Track && !tag.TrackText().isEmpty() &&
                               tag.TrackText() != QString::number(tag.Track());
    const bool yearSaysMore = tag.Year() != song.Year && tag.Year().startsWith(song.Year);
    PutSongIntoId3v2(tag, song);
    if (held[kFrameTitle]) {
        tag.SetTitle({});
    }
    if (held[kFrameArtist]) {
        tag.SetArtist({});
    }
    if (held[kFrameAlbum]) {
        tag.SetAlbum({});
    }
    if (held[kFrameYear] && !yearSaysMore) {
        tag.SetYear({});
    }
    if (held[kFrameComment]) {
        tag.SetComment({});
    }
    if (held[kFrameTrack] && !trackSaysMore) {
        tag.SetTrack(0);
    }
    if (held[kFrameGenre]) {
        tag.SetGenre({});
    }
    if (tag.Save(song.FullPath)) {
        return true;
    }
    ReportUnwritten(song, "MP3 ID3v2", m_state.Id3v2Error.isEmpty() ? "cannot be written" : m_state.Id3v2Error);
    return false;
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
    } else if (comments->LastFailure() == OggSaveFailure::InUse) {
        ParkTag(song, kind);
    } else {
        // Parking would promise a save that no later try can make.
        const QString why = comments->LastFailure() == OggSaveFailure::RewriteFailed && !comments->LastError().isEmpty()
                                ? comments->LastError()
                                : comments->LastFailureText();
        ReportUnwritten(song, kind, why);
    }
    return saved;
}

bool TagPolicy::RemoveId3v2(const QString& path, bool whereTheyDiffer) {
    TSong song;
    song.FullPath = path;
    song.FileType = "MP3";
    TagState scratch;
    if (!ReadId3v1(song, scratch)) {
        // Without an ID3v1 tag nothing else holds what the ID3v2 tag says.
        return false;
    }
    const std::array<bool, kFrameKindCount> held = HeldById3v1(song);
    TID3v2 tag(m_state);
    tag.SetUnicodeTags(m_library.settings.UNICODETAGS);
    if (!tag.Read(path) || !tag.Exists() || tag.Ignored()) {
        return false;
    }
    // A frame goes when the ID3v1 tag says the same in full.
    const auto same = [whereTheyDiffer](const QString& v2, const QString& v1) {
        return whereTheyDiffer || v2.isEmpty() || v2 == v1;
    };
    bool removed = false;
    const auto take = [&removed](bool go, auto clear) {
        if (go) {
            clear();
            removed = true;
        }
    };
    take(held[kFrameTitle] && same(tag.Title(), song.Title), [&] { tag.SetTitle({}); });
    take(held[kFrameArtist] && same(tag.Artist(), song.ArtistName), [&] { tag.SetArtist({}); });
    take(held[kFrameAlbum] && same(tag.Album(), song.AlbumName), [&] { tag.SetAlbum({}); });
    take(held[kFrameYear] && same(tag.Year(), song.Year), [&] { tag.SetYear({}); });
    take(held[kFrameComment] && same(tag.Comment(), song.Comment), [&] { tag.SetComment({}); });
    const bool trackSaysMore = !tag.TrackText().isEmpty() && tag.TrackText() != QString::number(tag.Track());
    take(held[kFrameTrack] && (whereTheyDiffer || tag.Track() == 0 || (tag.Track() == song.Track && !trackSaysMore)),
         [&] { tag.SetTrack(0); });
    take(held[kFrameGenre] && (whereTheyDiffer || tag.Genre().isEmpty() ||
                               GenreIdOrNone(m_genres.GenreIdForName(tag.Genre())) == song.GenreId),
         [&] { tag.SetGenre({}); });
    return removed && tag.Save(path);
}

void TagPolicy::ShowTagSaved(const QString& kind, const QString& path) {
    FlashMessage("Saving" + m_parkedSuffix + " " + kind + " tag to " + QuoteDouble(path));
}

void TagPolicy::ReportUnwritten(const TSong& song, const QString& kind, const QString& why) {
    ++m_unwrittenCount;
    ShowInfo(song.FullPath + "\r" + "File cannot be tagged (" + why + "), " + kind + " tag not saved");
}

void TagPolicy::ParkTag(const TSong& song, const QString& kind) {
    const bool v1 = kind == "MP3v1";
    const QString tag = v1 ? "ID3v1" : kind == "MP3" ? "ID3v2" : kind;
    // Only a file the audio engine holds is parked; the message says so.
    ShowInfo(song.FullPath + "\r" + "File in use, " + tag + " tag parked to " + "save" + " later");
    if (!m_parkedSuffix.isEmpty()) {
        return;  // a retry that failed again lets its tag go
    }
    for (Parked& parked : m_parked) {
        if (parked.Song.FullPath == song.FullPath) {
            parked = {song, v1 || parked.V1};
            return;
        }
    }
    m_parked.push_back({song, v1});
}

const TSong& TagPolicy::ParkedSong() const {
    static const TSong kNone = [] {
        TSong none;
        ClearSong(none);
        return none;
    }();
    return m_parked.empty() ? kNone : m_parked.front().Song;
}

bool TagPolicy::RetryParkedTag() {
    if (m_parked.empty()) {
        return false;
    }
    // Each parked tag is tried once; one that fails again is reported and let go.
    std::vector<Parked> parked = std::exchange(m_parked, {});
    bool allSaved = true;
    const auto reset = [this] {
        m_parkedSuffix.clear();
        useV2 = false;
        m_retryingV1 = false;
    };
    for (std::size_t i = 0; i < parked.size(); ++i) {
        TSong song = parked[i].Song;
        if (song.SongNum <= 0) {
            continue;
        }
        // A file the audio engine still holds (the preview plays it) keeps its tag parked.
        if (HeldFiles::IsHeld(song.FullPath)) {
            m_parked.push_back(parked[i]);
            allSaved = false;
            continue;
        }
        m_parkedSuffix = " parked";
        m_retryingV1 = parked[i].V1;
        useV2 = !parked[i].V1;
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
            reset();
            // The ones not tried yet stay parked.
            m_parked.insert(m_parked.end(), parked.begin() + static_cast<std::ptrdiff_t>(i) + 1, parked.end());
            throw;
        }
        reset();
        allSaved = allSaved && saved;
    }
    return allSaved;
}

bool TagPolicy::FinishPendingWrites() {
    if (!m_parked.empty()) {
        RetryParkedTag();
    }
    for (const Parked& parked : m_parked) {
        ShowInfo(parked.Song.FullPath + "\r" + "File still in use, tag not saved");
    }
    return m_parked.empty() && m_unwrittenCount == 0;
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
