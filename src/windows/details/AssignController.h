#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

#include "EditSongController.h"
#include "windows/songs/SongListController.h"
#include "core/Song.h"

namespace sw {

class Library;
class TagPolicy;

/// The six details the dialog can give to many songs, in the dialog's order.
enum class AssignField { Album, Artist, Genre, Year, Track, Comment };
inline constexpr int kAssignFieldCount = 6;

/// Which end of a title the track number is taken from, decided once per run.
enum class TrackChoice { Undecided, End, Start };

/// Where the controller reports to its dialog and its progress.
class AssignDisplay {
public:
    virtual ~AssignDisplay() = default;
    /// Shows the dialog modally; true when it closed with OK (AssignPressed said so).
    virtual bool RunAssignDialog() = 0;
    /// The ticks and boxes changed.
    virtual void AssignStateChanged() {}
    /// One more song is done: the progress moves and waiting events (a Cancel) run.
    virtual void AssignProgress(int done, int total) = 0;
    virtual void AssignRunEnded() {}
};

/// What a run did.
struct AssignRunResult {
    int saved = 0;
    /// Songs whose tags could not be written (their catalogue rows were saved all the same).
    int tagFailures = 0;
    /// Songs whose tags were written without a word.
    int written = 0;
    /// One line per file that had something to say (a failure, a parked tag): path and messages.
    QStringList failures;
    /// Songs gone from the catalogue since they were listed.
    int missingSongs = 0;
    bool cancelled = false;
};

/// "Assign details to 1 or more songs" without widgets: the dialog's ticks and boxes, their checks
/// and the album and artist they resolve to, and the run that gives the ticked details to each
/// song, in the catalogue and in its tags, with progress and a Cancel between songs.
class AssignController {
public:
    AssignController(Library& library, TagPolicy& tags);
    AssignController(const AssignController&) = delete;
    AssignController& operator=(const AssignController&) = delete;

    void SetDisplay(AssignDisplay* display) { m_display = display; }
    void SetGenrePicker(GenrePicker picker) { m_pickGenre = std::move(picker); }
    bool CanPickGenre() const { return static_cast<bool>(m_pickGenre); }
    void SetCloseGenresWindow(std::function<void()> close) { m_closeGenres = std::move(close); }

    /// The songs window's "Assign": the songs in list order and the file type of the song under
    /// the cursor.
    AssignOutcome AssignDetailsToSongs(const std::vector<int>& songNums, const QString& fileType);

    // The dialog.
    QString CountLabel() const;
    bool Ticked(AssignField field) const { return m_ticked[static_cast<std::size_t>(field)]; }
    void SetTicked(AssignField field, bool ticked);
    void SetAllTicked(bool ticked);
    /// The text of the album, artist, year or comment box.
    QString Box(AssignField field) const;
    void SetBox(AssignField field, const QString& text);
    int PickedGenreId() const { return m_genreId; }
    const QString& PickedGenreName() const { return m_genreName; }
    /// ">": the genre picker; closed without a choice, it changes nothing.
    void PickGenre();
    const Clipboard& Copied() const;
    void PasteAlbum();
    void PasteArtist();
    /// "Assign": KeepOpen, or how the dialog closes.
    EditClose AssignPressed();

    // The run.
    /// Asked between songs: the run stops before the next one.
    void RequestCancel() { m_cancel = true; }
    bool Running() const { return m_running; }
    const AssignRunResult& LastRun() const { return m_result; }
    int AssignPolicy() const { return m_assignPolicy; }
    int AssignedAlbumId() const { return m_albumId; }
    int AssignedArtistId() const { return m_artistId; }

    /// Gives the ticked details to the song and saves it with its tags, committed; false when its
    /// tags could not be written. A song given nothing (only "Track" ticked, and no number where
    /// the run takes it from) is left as it was, its file unwritten.
    bool ApplyAssignedDetails(TSong& song);

private:
    bool AskAssignDetails(int count, const QString& fileType);
    /// After OK: the artist and album named in the boxes, found or created.
    bool ResolveNames();
    /// The track number in the title at the end the run takes it from (decided by the first title
    /// that tells); false when the title holds none there.
    bool TrackFromTitle(const QString& title, int& number);
    void Changed();

    Library& m_library;
    TagPolicy& m_tags;
    AssignDisplay* m_display = nullptr;
    GenrePicker m_pickGenre;
    std::function<void()> m_closeGenres;

    std::array<bool, kAssignFieldCount> m_ticked{};
    QString m_album;
    QString m_artist;
    QString m_year;
    QString m_comment;
    int m_genreId = kNoGenre;
    QString m_genreName;

    int m_count = 0;
    QString m_fileType;
    int m_artistId = -1;
    int m_albumId = -1;
    int m_assignPolicy = 2;
    TrackChoice m_trackChoice = TrackChoice::Undecided;
    /// 0 undecided, 2 numbers cut to two digits, 3 three digits allowed.
    int m_threeDigits = 0;
    bool m_cancel = false;
    bool m_running = false;
    AssignRunResult m_result;
};

}  // namespace sw
