#pragma once

#include <QString>
#include <functional>

#include "core/Song.h"

namespace sw {

class Library;
class TagPolicy;
struct Clipboard;

/// The six edit boxes of the catalogue side.
enum class EditBox { Title, Artist, Album, Track, Year, Comment };

/// How a command leaves the window.
enum class EditClose { KeepOpen, Ok, Cancel };

/// The programs's genre picker; true with a genre chosen.
using GenrePicker = std::function<bool(int& genreId, QString& genreName)>;

/// Where the controller reports to its window.
class EditSongDisplay {
public:
    virtual ~EditSongDisplay() = default;
    /// The boxes, labels, buttons or the status line changed.
    virtual void EditStateChanged() = 0;
    /// Events waiting to run are let through (after a genre pick).
    virtual void ProcessPendingEvents() {}
};

/// The modal "Edit song details" window without widgets: one song's catalogue details to edit
/// beside what its file's tag holds, the copy from one side to the other, and the save that writes
/// the catalogue row and, when details other than the rating changed, the tags.
class EditSongController {
public:
    EditSongController(Library& library, TagPolicy& tags);
    EditSongController(const EditSongController&) = delete;
    EditSongController& operator=(const EditSongController&) = delete;

    void SetDisplay(EditSongDisplay* display) { m_display = display; }
    /// The genre picker; ">" stays disabled without one.
    void SetGenrePicker(GenrePicker picker) { m_pickGenre = std::move(picker); }
    bool CanPickGenre() const { return static_cast<bool>(m_pickGenre); }
    /// Closes the genres window, which the picker needs closed, before the window opens.
    void SetCloseGenresWindow(std::function<void()> close) { m_closeGenres = std::move(close); }

    /// Fills the window from a copy of the record and the file's tag.
    void Open(const TSong& song);
    /// The window is on show: nothing is changed yet.
    void Shown();

    const TSong& Edited() const { return m_edited; }
    const TSong& FileSong() const { return m_file; }
    bool Dirty() const { return m_dirty; }
    bool TagsToo() const { return m_tagsToo; }

    // The catalogue side.
    QString Box(EditBox box) const;
    int TrackBox() const { return m_track; }
    /// The user typed into a box.
    void SetBox(EditBox box, const QString& text);
    void SetTrackBox(int track);
    int PickedGenreId() const { return m_genreId; }
    const QString& PickedGenreName() const { return m_genreName; }
    QString RatingSymbolText() const;
    QString RatingText() const;
    bool RatingUpEnabled() const { return m_edited.Rating < 4; }
    bool RatingDownEnabled() const { return m_edited.Rating > -2; }
    QString SongNumText() const;
    QString SizeText() const;
    QString CreatedText() const;
    QString EditedText() const;
    QString DurationText() const;

    // The file side.
    const QString& GroupCaption() const { return m_groupCaption; }
    QString FileGenreText() const;
    /// Empty when there is no file.
    QString FileSizeText() const;
    bool ResyncFromFileEnabled() const { return m_resyncFromFile; }
    bool ResyncToFileEnabled() const { return m_resyncToFile; }

    /// Empty when cleared; shown on red otherwise.
    const QString& Status() const { return m_status; }
    /// Empty text clears the line; other text is added to it.
    void SetEditStatus(const QString& text);

    // Commands.
    void TitleFromFileName();
    /// What "Paste artist" and "Paste album" offer.
    const Clipboard& Copied() const;
    void PasteArtist();
    void PasteAlbum();
    void PickGenre();
    void StepRating(int step);
    /// "<< Resync": the file's details into the boxes.
    void ResyncFromFile();
    EditClose Save();
    /// "Resync >>": the boxes into the catalogue and the file, as Save does.
    EditClose ResyncToFile();
    EditClose Cancel();

private:
    void ReadFileSide();
    void LookForDifferences();
    /// The boxes into `song`; false when the save is to stop.
    bool CopyBoxesIntoSong(TSong& song);
    bool ResolveAlbum(TSong& song);
    void Changed();

    Library& m_library;
    TagPolicy& m_tags;
    EditSongDisplay* m_display = nullptr;
    GenrePicker m_pickGenre;
    std::function<void()> m_closeGenres;

    TSong m_edited;
    TSong m_file;
    QString m_title;
    QString m_artist;
    QString m_album;
    int m_track = 0;
    QString m_year;
    QString m_comment;
    int m_genreId = kNoGenre;
    QString m_genreName;
    bool m_dirty = false;
    bool m_tagsToo = false;
    bool m_resyncFromFile = false;
    bool m_resyncToFile = false;
    QString m_groupCaption;
    QString m_status;
};

}  // namespace sw
