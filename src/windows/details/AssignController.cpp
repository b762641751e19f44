#include "AssignController.h"

#include <exception>

#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "core/TagRewrite.h"
#include "foundation/Dialogs.h"
#include "foundation/GatheringDialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"
#include "tags/TagPolicy.h"

namespace sw {

namespace {

/// Puts the user's tag policy back however the run ends.
class PolicyForRun {
public:
    PolicyForRun(int& policy, int forRun) : m_policy(policy), m_kept(policy) { m_policy = forRun; }
    ~PolicyForRun() { m_policy = m_kept; }
    PolicyForRun(const PolicyForRun&) = delete;
    PolicyForRun& operator=(const PolicyForRun&) = delete;

private:
    int& m_policy;
    int m_kept;
};

}  // namespace

AssignController::AssignController(Library& library, TagPolicy& tags) : m_library(library), m_tags(tags) {}

AssignOutcome AssignController::AssignDetailsToSongs(const std::vector<int>& songNums,
                                                     const QString& fileType) {
    AssignOutcome outcome;
    if (m_running || RefuseIfReadOnly(m_library.settings.READONLY) || songNums.empty()) {
        return outcome;
    }
    if (m_closeGenres) {
        m_closeGenres();
    }
    const int count = static_cast<int>(songNums.size());
    if (count > 20 && !ConfirmSure("Many (" + QString::number(count) + ") songs")) {
        return outcome;
    }
    if (!AskAssignDetails(count, fileType)) {
        return outcome;
    }
    outcome.accepted = true;
    // An empty album box assigns no album, so there is no album to list afterwards.
    outcome.albumTicked = Ticked(AssignField::Album) && m_albumId > 0;
    outcome.albumId = m_albumId;

    m_result = AssignRunResult{};
    m_threeDigits = 0;
    m_trackChoice = TrackChoice::Undecided;
    m_cancel = false;
    m_running = true;
    {
        PolicyForRun policy(m_library.settings.MP3TAGPOLICY, m_assignPolicy);
        BusyScope busy;
        // The messages of files that cannot be written make one report at the end.
        GatheringDialogs gathering(ActiveDialogs());
        ScopedDialogs quiet(gathering);
        try {
            int done = 0;
            for (const int songNum : songNums) {
                if (m_cancel) {
                    m_result.cancelled = true;
                    break;
                }
                TSong song;
                if (m_library.songs.FindSongByNumber(songNum, song)) {
                    const bool written = ApplyAssignedDetails(song);
                    const QStringList messages = gathering.Take();
                    if (!messages.isEmpty()) {
                        m_result.failures << FailureLine(song.FullPath, messages);
                    }
                    // A file with a message (a tag refused with its reason) was not updated either.
                    if (!written || !messages.isEmpty()) {
                        ++m_result.tagFailures;
                    } else {
                        ++m_result.written;
                    }
                    ++m_result.saved;
                } else {
                    ++m_result.missingSongs;
                }
                ++done;
                if (m_display != nullptr) {
                    m_display->AssignProgress(done, count);
                }
            }
        } catch (...) {
            m_running = false;
            m_library.catalogue.CommitAndContinue();
            throw;
        }
        m_library.catalogue.CommitAndContinue();
    }
    m_running = false;
    if (m_display != nullptr) {
        m_display->AssignRunEnded();
    }
    RewriteSummary summary;
    summary.written = m_result.written;
    summary.failures = m_result.failures;
    if (const QString notice = RewriteNoticeText(summary); !notice.isEmpty()) {
        FlashMessage(notice);
    }
    if (const QString report = RewriteSummaryText(summary); !report.isEmpty()) {
        ShowInfo(report);
    }
    return outcome;
}

bool AssignController::AskAssignDetails(int count, const QString& fileType) {
    m_count = count;
    m_fileType = fileType;
    m_artistId = -1;
    m_albumId = -1;
    m_assignPolicy = m_library.settings.MP3TAGPOLICY;
    Changed();
    if (m_display == nullptr || !m_display->RunAssignDialog()) {
        return false;
    }
    if (ResolveNames()) {
        return true;
    }
    return false;
}

QString AssignController::CountLabel() const {
    return "Assignment will apply to " + QString::number(m_count) + " song(s)";
}

void AssignController::SetTicked(AssignField field, bool ticked) {
    m_ticked[static_cast<std::size_t>(field)] = ticked;
    Changed();
}

void AssignController::SetAllTicked(bool ticked) {
    m_ticked.fill(ticked);
    Changed();
}

QString AssignController::Box(AssignField field) const {
    switch (field) {
        case AssignField::Album:
            return m_album;
        case AssignField::Artist:
            return m_artist;
        case AssignField::Genre:
            return m_genreName;
        case AssignField::Year:
            return m_year;
        case AssignField::Comment:
            return m_comment;
        case AssignField::Track:
            break;
    }
    return QString();
}

void AssignController::SetBox(AssignField field, const QString& text) {
    switch (field) {
        case AssignField::Album:
            m_album = text;
            break;
        case AssignField::Artist:
            m_artist = text;
            break;
        case AssignField::Year:
            m_year = text;
            break;
        case AssignField::Comment:
            m_comment = text;
            break;
        default:
            return;
    }
    Changed();
}

void AssignController::PickGenre() {
    // A picker closed without a choice leaves the genre picked before (none at first: 0 is a
    // genre of its own).
    int id = kNoGenre;
    QString name;
    if (!m_pickGenre || !m_pickGenre(id, name)) {
        return;
    }
    m_genreId = id;
    m_genreName = name;
    Changed();
}

const Clipboard& AssignController::Copied() const {
    return m_library.clipboard;
}

void AssignController::PasteAlbum() {
    SetBox(AssignField::Album, m_library.clipboard.album.AlbumName);
}

void AssignController::PasteArtist() {
    SetBox(AssignField::Artist, m_library.clipboard.artist.ArtistName);
}

EditClose AssignController::AssignPressed() {
    if (m_fileType == "MP3") {
        m_assignPolicy = m_library.settings.MP3TAGPOLICY;
        if (m_assignPolicy == 1 || m_assignPolicy == 2) {
            bool tooLong = false;
            if (Ticked(AssignField::Album) && m_tags.Id3v1Overflow(m_album, 30))
                tooLong = true;
            if (Ticked(AssignField::Artist) && m_tags.Id3v1Overflow(m_artist, 30))
                tooLong = true;
            if (Ticked(AssignField::Comment) && m_tags.Id3v1Overflow(m_comment, 29))
                tooLong = true;
            if (tooLong) {
                switch (m_tags.AskTruncateOrV2()) {
                    case 0:
                        return EditClose::KeepOpen;
                    case 1:
                        m_assignPolicy = 1;
                        break;
                    default:
                        m_assignPolicy = 3;
                        break;
                }
            }
        }
    }
    if (Ticked(AssignField::Album)) {
        m_albumId = -1;
        QString album = m_album;
        const int id = m_library.albums.ExpandAlbumRef(album);
        if (id < 0) {
            return EditClose::KeepOpen;
        }
        if (id > 0) {
            m_albumId = id;
            m_album = album;
        }
    }
    if (Ticked(AssignField::Artist)) {
        m_artistId = -1;
        QString artist = m_artist;
        const int id = m_library.artists.ExpandArtistRef(artist);
        if (id < 0) {
            return EditClose::KeepOpen;
        }
        if (id > 0) {
            m_artistId = id;
            m_artist = artist;
        }
    }
    Changed();
    return ConfirmSure("Assign details to " + QString::number(m_count) + " songs listed") ? EditClose::Ok
                                                                                          : EditClose::Cancel;
}

bool AssignController::ResolveNames() {
    if (Ticked(AssignField::Artist) && m_artistId == -1 && !m_artist.isEmpty()) {
        m_artistId = m_library.artists.FindOrCreateArtist(m_artist);
        if (m_artistId < 0) {
            ShowProgramError("get_assigndets");
            return false;
        }
        m_artist = m_library.artists.LastArtistFound().ArtistName;
    }
    if (Ticked(AssignField::Album) && m_albumId == -1 && !m_album.isEmpty()) {
        TAlbum album;
        const int found = m_library.albums.FindAlbumByName(m_album, album);
        if (found == -2) {
            // Offering one of them would put the songs on whichever the catalogue lists first.
            ShowInfo("More than one album found with name " + QuoteDouble(m_album) + "\r" +
                     "Use name=#nnnn to identify uniquely");
            return false;
        }
        if (found > 0) {
            switch (AskChoice("Use album #" + QString::number(album.AlbumId) + " " +
                                  QuoteDouble(album.AlbumName) + " by " + album.ArtistName +
                                  " or create new?",
                              "Use this", "Create new")) {
                case 0:
                    ShowProgramError("get_assigndets");
                    return false;
                case 1:
                    m_albumId = album.AlbumId;
                    m_album = album.AlbumName;
                    break;
                default:
                    break;
            }
        }
        if (m_albumId < 0) {
            m_albumId = m_library.albums.CreateAlbumNamed(m_album);
            if (m_albumId < 0) {
                ShowProgramError("get_assigndets");
                return false;
            }
            ShowInfo("Album #" + QString::number(m_albumId) + " created");
        }
    }
    Changed();
    return true;
}

bool AssignController::ApplyAssignedDetails(TSong& song) {
    // Whether any ticked detail was given to this song.
    bool given = false;
    if (Ticked(AssignField::Artist) && !m_artist.isEmpty()) {
        song.ArtistName = m_artist;
        song.ArtistId = m_artistId;
        given = true;
    }
    if (Ticked(AssignField::Album) && !m_album.isEmpty()) {
        song.AlbumName = m_album;
        song.AlbumId = m_albumId;
        given = true;
    }
    if (Ticked(AssignField::Year) && !m_year.isEmpty()) {
        song.Year = m_year.left(4);
        given = true;
    }
    if (Ticked(AssignField::Genre)) {
        song.GenreId = static_cast<std::uint8_t>(m_genreId);
        song.GenreName = m_genreName;
        given = true;
    }
    if (Ticked(AssignField::Track)) {
        int number = 0;
        if (TrackFromTitle(song.Title, number)) {
            song.Track = static_cast<std::uint8_t>(number);
            given = true;
        }
    }
    if (Ticked(AssignField::Comment)) {
        song.Comment = m_comment;
        given = true;
    }
    // Nothing to give: the row and the file stay as they are.
    if (!given) {
        return true;
    }
    // The tags first, then the row: a file that cannot be written is reported with its path, and
    // the catalogue takes the details all the same. The row is committed at once, so that a run
    // cut short leaves the catalogue and the files disagreeing on one file at most.
    TSong saved = song;
    bool written = false;
    try {
        written = m_tags.SaveSongTags(saved);
    } catch (...) {
        ShowInfo(saved.FullPath + "\r" + CurrentExceptionText());
    }
    m_library.songs.SaveSong(saved);
    m_library.catalogue.CommitAndContinue();
    return written || IsUntaggedType(saved.FileType);
}

bool AssignController::TrackFromTitle(const QString& title, int& number) {
    const int atEnd = TrailingNumber(title);
    const int atStart = LeadingNumber(title);
    if (m_trackChoice == TrackChoice::Undecided) {
        if (atStart < 0 && atEnd > 0) {
            m_trackChoice = TrackChoice::End;
        } else if (atEnd < 0 && atStart > 0) {
            m_trackChoice = TrackChoice::Start;
        } else if (atEnd >= 0 && atStart >= 0) {
            m_trackChoice = AskChoice("Track number from start or end of title?", "Start", "End") == 1
                                ? TrackChoice::Start
                                : TrackChoice::End;
        }
    }
    // TrailingNumber gives 0 for a title that does not end in digits; that is no number.
    const bool endsInDigits = !title.isEmpty() && IsDigit(title.back());
    if (m_trackChoice == TrackChoice::End && endsInDigits && atEnd >= 0) {
        number = atEnd;
    } else if (m_trackChoice == TrackChoice::Start && atStart >= 0) {
        number = atStart;
    } else {
        return false;
    }
    if (number >= 256) {
        m_threeDigits = 2;
    }
    if (number >= 100 && m_threeDigits == 0) {
        m_threeDigits = Confirm("Allow 3-digit track numbers?") ? 3 : 2;
    }
    if (m_threeDigits == 2) {
        number %= 100;
    }
    return true;
}

void AssignController::Changed() {
    if (m_display != nullptr) {
        m_display->AssignStateChanged();
    }
}

}  // namespace sw
