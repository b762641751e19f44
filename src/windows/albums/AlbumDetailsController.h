#pragma once

#include <QString>

#include "core/AlbumRecords.h"

namespace sw {

class AlbumsController;
class Library;
class Ratings;

/// Where the album details controller reports to its window.
class AlbumDetailsDisplay {
public:
    virtual ~AlbumDetailsDisplay() = default;
    /// Shows the window in front, restored when minimised.
    virtual void ShowDetailsWindow() = 0;
    /// The shown album or one of its lines changed.
    virtual void DetailsChanged() = 0;
    virtual void CloseDetailsWindow() = 0;
};

/// The window's lines as they are drawn.
struct AlbumDetailsText {
    QString caption;
    QString name;
    /// "Artist #12".
    QString artistCaption;
    QString artistName;
    QString repairTs;
    QString year;
    QString fileCount;
    QString createTs;
    /// "#5" and, when the group exists, its name in double quotes.
    QString group;
    /// The sequence line is there only for an album in a group.
    bool sequenceShown = false;
    QString sequence;
    QString rating;
};

/// The album details window without widgets: one album or group, its lines and the commands that
/// rename it, change its artist, group, sequence number and assigned rating, copy and delete it.
/// It keeps a copy of the album's record but reads the row again before every change, so that
/// nothing written elsewhere since is overwritten. Every change is committed.
class AlbumDetailsController {
public:
    /// Connects the albums window's "View album details" to this window.
    AlbumDetailsController(Library& library, Ratings& ratings, AlbumsController& albums);
    ~AlbumDetailsController();
    AlbumDetailsController(const AlbumDetailsController&) = delete;
    AlbumDetailsController& operator=(const AlbumDetailsController&) = delete;

    void SetDisplay(AlbumDetailsDisplay* display) { m_display = display; }

    /// Opens the window on the album or group; false (after saying why) when there is none.
    bool ShowAlbumDetails(int albumId);
    const TAlbum& Album() const { return m_album; }
    bool Shown() const { return m_shown; }
    const AlbumDetailsText& Text() const { return m_text; }
    bool IsGroup() const { return m_album.AlOrGrp == 'G'; }

    // Commands.
    /// "Rename album" and a click on the name.
    void Rename();
    void AssignRating();
    void Resequence();
    /// "Refresh": the album read again.
    void Refresh();
    void Copy();
    /// "Delete": the window closes when the album was removed.
    void Delete();
    void Close();
    /// The window was closed by the user.
    void WindowClosed() { m_shown = false; }

    // The group line's pop-up.
    bool ViewGroupEnabled() const { return m_album.GrpId > 0; }
    void ViewGroup();
    void AssignDifferentGroup();
    bool PasteGroupEnabled() const;
    /// "Paste album group " and the copied group's name in double quotes.
    QString PasteGroupCaption() const;
    void PasteGroup();

    // The artist line's pop-up.
    bool ViewArtistEnabled() const;
    void ViewArtist();
    void InputArtist();
    bool PasteArtistEnabled() const;
    /// "- paste artist " and the copied artist's name in double quotes.
    QString PasteArtistCaption() const;
    void PasteArtist();

private:
    void Display();
    /// The album's row read again into the record; false (after saying so) when it is gone.
    bool ReadAgain();
    /// Stores the record with its new artist or group, commits and shows it again.
    void WriteAndRedisplay();
    bool ReadOnly() const;

    Library& m_library;
    Ratings& m_ratings;
    AlbumsController& m_albums;
    AlbumDetailsDisplay* m_display = nullptr;
    TAlbum m_album;
    AlbumDetailsText m_text;
    bool m_shown = false;
};

/// "Album not found " and the id in double quotes, or what album id 0 means.
void ShowAlbumNotFound(int albumId);

}  // namespace sw
