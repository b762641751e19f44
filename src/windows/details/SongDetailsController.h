#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "windows/songs/SongListController.h"
#include "core/RowSet.h"
#include "core/Song.h"
#include "core/SongRemoval.h"

namespace sw {

class Library;
class Playlists;
class Ratings;
class TagPolicy;

/// The window's pages, in tab order.
enum class DetailsPage { Catalogue, FileSystem, Id3v1, Id3v2, Ogg, Container, Playlists, WhenPlayed };
inline constexpr int kDetailsPageCount = 8;

/// The catalogue fields a tag can disagree with, in the order they are compared.
enum class DetailsField { Title, Artist, Album, Track, Year, Genre, Comment };
inline constexpr int kDetailsFieldCount = 7;

/// The tag pages, in tab order. Container is the MP4 tag of an M4A file or the ASF tag of a WMA
/// file, which is shown but never written.
enum class TagKind { Id3v1 = 0, Id3v2 = 1, Ogg = 2, Container = 3 };
inline constexpr int kTagKindCount = 4;

/// One tag page as it is drawn.
struct TagPageView {
    QString caption;
    bool found = false;
    /// "Tag not found", or why a tag that is there is not shown.
    QString notFoundText = "Tag not found";
    bool removeVisible = false;
    QString writeCaption = "Write tag";
    /// A line shown above the details of a found tag; empty for none.
    QString note;
    /// Caption and value of each detail the tag holds.
    std::vector<std::pair<QString, QString>> lines;
};

/// The texts of the catalogue and file-system pages. An empty value hides its line.
struct SongDetailsText {
    QString windowCaption;
    QString title;
    QString artist;
    QString album;
    QString genre;
    QString track;
    QString year;
    QString comment;
    QString rating;
    QString ratingSymbol;
    /// False for an unrated song, whose "?" is drawn in the plain font.
    bool symbolFont = false;
    QString relativeFileName;
    QString fileName;
    QString folder;
    QString fileFound;
    bool deleteEnabled = false;
    bool remindVisible = false;
    QString songNumber;
    QString fileSize;
    QString actualFileSize;
    QString duration;
    QString created;
    QString lastEdited;
    QString searchTs;
    QString fileCreated;
    QString fileModified;
};

/// What the details window shows of the program's other windows. Each is empty until that window
/// exists, and its item stays disabled until then.
struct SongDetailsHooks {
    std::function<void(int songNum, SongsLike kind)> listSongsLike;
    /// The songs window's list of songs whose stored file name holds the text.
    std::function<void(const QString& fileName)> listFileName;
    std::function<void(int playlistId, int seq)> viewPlaylist;
    /// The songs played on the day (YYYYMMDD).
    std::function<void(int day)> listDay;
    /// The edit window on the record; true when it saved it.
    std::function<bool(TSong& song)> editSong;
    std::function<void(int albumId)> albumDetails;
    std::function<void(int artistId)> artistDetails;
    std::function<void(int genreId)> genreDetails;
    /// The playlists window's choice of the target playlist; true when one was chosen.
    std::function<bool()> selectPlaylist;
};

/// Where the controller reports to its window.
class SongDetailsDisplay {
public:
    virtual ~SongDetailsDisplay() = default;
    /// Show the window in front, restored when minimised.
    virtual void ShowDetailsWindow() = 0;
    /// Everything on the pages may have changed.
    virtual void DetailsChanged() = 0;
    virtual void SelectPage(DetailsPage page) = 0;
    /// Moves the mouse pointer onto the file-system page's size caption.
    virtual void PointAtFileSize() = 0;
    virtual void CloseDetailsWindow() = 0;
    /// An open-file dialog starting in the folder; empty when cancelled.
    virtual QString ChooseAudioFile(const QString& startFolder) = 0;
};

/// The song details window without widgets: one song's catalogue row, its file, each of its tags
/// beside the catalogue with the differences marked, the playlists it is in and when it was played,
/// and the commands that change them.
class SongDetailsController {
public:
    SongDetailsController(Library& library, TagPolicy& tags, Playlists& playlists, Ratings& ratings);
    SongDetailsController(const SongDetailsController&) = delete;
    SongDetailsController& operator=(const SongDetailsController&) = delete;

    void SetDisplay(SongDetailsDisplay* display) { m_display = display; }
    SongDetailsHooks& Hooks() { return m_hooks; }
    const SongDetailsHooks& Hooks() const { return m_hooks; }

    /// Reads the song afresh ("Song #<n> not found" when it is gone, and nothing opens) and opens
    /// the window on it; true when it opened.
    bool ShowSongDetails(int songNum);
    /// As ShowSongDetails, on the "in playlists" page.
    bool ShowSongPlaylists(int songNum);
    /// Opens the window on the record after checking its album against the catalogue.
    void OpenSongDetails(TSong song);
    /// Fills every page from the current song.
    void DisplaySongDetails();

    const TSong& Song() const { return m_song; }
    const SongDetailsText& Text() const { return m_text; }
    const TagPageView& TagPage(TagKind kind) const { return m_tagPages[static_cast<std::size_t>(kind)]; }
    /// The details of each tag as read for its page.
    const TSong& TagSong(TagKind kind) const { return m_tagSongs[static_cast<std::size_t>(kind)]; }
    bool Highlighted(DetailsField field) const { return m_highlighted[static_cast<std::size_t>(field)]; }
    QString PageCaption(DetailsPage page) const;
    /// The status line: its messages joined by " | "; empty when cleared.
    QString StatusText() const { return m_status.join(" | "); }
    DetailsPage Page() const { return m_page; }
    /// "in playlists": plid, seq and plname of each entry.
    const RowSet& PlaylistRows() const { return m_playlistRows; }
    /// "When played": pldate and pltime of each play.
    const RowSet& HistoryRows() const { return m_historyRows; }

    /// The window moved to another page.
    void PageShown(DetailsPage page);
    void Refresh();

    // Commands.
    void ListSongsLike(SongsLike kind);
    void Edit();
    void Remove(RemoveAction action);
    void Duplicates();
    void Copy();
    void AlbumDetails();
    void ArtistDetails();
    void GenreDetails();
    void StepRating(int step);
    /// The " Database needs to be reminded of this " line.
    void RemindCatalogue();
    /// A click on the relative file name: the song is given another file.
    void RelinkSongFile();
    void RemoveTag(TagKind kind);
    void WriteTag(TagKind kind);
    void ViewPlaylist(int row);
    void DropFromPlaylist(int row);
    void AddToAnotherPlaylist();
    void ListSongsPlayed(int row);

private:
    void AddStatus(const QString& text);
    void ClearStatus();
    void FillTagPages();
    void FillId3v1Page();
    void FillId3v2Page();
    void FillOggPage();
    void FillContainerPage();
    void MarkMismatches(const TSong& tag, bool genreById);
    void QueryPlaylists();
    void QueryHistory();
    void Changed();
    bool ReadOnly() const;
    /// Asks what to create for an album id that names no album; true when one was created.
    bool CreateMissingAlbum();

    Library& m_library;
    TagPolicy& m_tags;
    Playlists& m_playlists;
    Ratings& m_ratings;
    SongDetailsDisplay* m_display = nullptr;
    SongDetailsHooks m_hooks;

    TSong m_song;
    SongDetailsText m_text;
    std::array<TSong, kTagKindCount> m_tagSongs;
    std::array<TagPageView, kTagKindCount> m_tagPages;
    std::array<bool, kDetailsFieldCount> m_highlighted{};
    QStringList m_status;
    DetailsPage m_page = DetailsPage::Catalogue;
    RowSet m_playlistRows;
    RowSet m_historyRows;
    QString m_relinkFolder;
};

}  // namespace sw
