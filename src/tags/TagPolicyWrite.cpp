// The saving half of TagPolicy: which tags a save writes, parked tags and the ID3v1 length checks.
#include "TagPolicy.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "FileReader.h"
#include "GenreLookup.h"
#include "HeldFiles.h"
#include "Id3v1.h"
#include "Id3v2.h"
#include "Id3v2Frames.h"
#include "TagPolicyHelpers.h"
#include "core/ColumnWidths.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

QString SqueezedRating(int rating) {
    return "Rating=" + QString::number(rating);
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
