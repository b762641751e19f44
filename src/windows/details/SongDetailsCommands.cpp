// The details window's commands: its menu, the page buttons, tag removal and writing, playlists, history.
#include "SongDetailsController.h"

#include <QFileInfo>

#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Playlists.h"
#include "core/Ratings.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "tags/HeldFiles.h"
#include "tags/Id3v1.h"
#include "tags/TagPolicy.h"

namespace sw {

void SongDetailsController::ListSongsLike(SongsLike kind) {
    if (m_hooks.listSongsLike && m_song.SongNum > 0) {
        m_hooks.listSongsLike(m_song.SongNum, kind);
    }
}

void SongDetailsController::Edit() {
    if (!m_hooks.editSong || ReadOnly()) {
        return;
    }
    TSong edited = m_song;
    if (m_hooks.editSong(edited)) {
        // Read back as stored, so that the stamps a rating step compares are the catalogue's.
        m_library.songs.FindSongByNumber(edited.SongNum, m_song);
    }
    DisplaySongDetails();
}

void SongDetailsController::Remove(RemoveAction action) {
    if (!RemoveSongAction(m_library, m_song.SongNum, action)) {
        return;
    }
    m_library.catalogue.CommitAndContinue();
    if (action == RemoveAction::DeleteFile) {
        m_library.songs.FindSongByNumber(m_song.SongNum, m_song);
        DisplaySongDetails();
    } else if (m_display != nullptr) {
        m_display->CloseDetailsWindow();
    }
}

void SongDetailsController::Duplicates() {
    m_page = DetailsPage::FileSystem;
    if (m_display != nullptr) {
        m_display->SelectPage(DetailsPage::FileSystem);
        m_display->PointAtFileSize();
    }
    TSong other;
    if (m_library.songs.FindSongByFileName(m_song.FullPath, other) < 2) {
        ShowInfo("No duplicates found (ie songs with same filename)");
        return;
    }
    if (m_hooks.listFileName) {
        m_hooks.listFileName(m_song.FileName);
    }
}

void SongDetailsController::Copy() {
    Clipboard& clipboard = m_library.clipboard;
    TAlbum album;
    if (m_library.albums.FindAlbumById(m_song.AlbumId, album)) {
        clipboard.album = album;
    }
    TArtist artist;
    if (m_library.artists.FindArtistById(m_song.ArtistId, artist)) {
        clipboard.artist = artist;
    }
    FlashMessage("Copied ok");
}

void SongDetailsController::AlbumDetails() {
    if (m_hooks.albumDetails) {
        m_hooks.albumDetails(m_song.AlbumId);
    }
}

void SongDetailsController::ArtistDetails() {
    if (m_hooks.artistDetails) {
        m_hooks.artistDetails(m_song.ArtistId);
    }
}

void SongDetailsController::GenreDetails() {
    if (m_hooks.genreDetails) {
        m_hooks.genreDetails(m_song.GenreId);
    }
}

void SongDetailsController::StepRating(int step) {
    if (ReadOnly()) {
        return;
    }
    if (m_ratings.AdjustSongRating(m_song, step)) {
        m_library.catalogue.CommitAndContinue();
        DisplaySongDetails();
    }
}

void SongDetailsController::RemindCatalogue() {
    if (ReadOnly()) {
        return;
    }
    TSong fresh;
    if (!m_library.songs.GetSongByNumber(m_song.SongNum, fresh)) {
        return;
    }
    // Only while the catalogue still disagrees with the disk: a second click, or a song another
    // window has put right meanwhile, would otherwise count the file's size twice.
    if (fresh.Exi != fresh.FileFound) {
        RecheckSongFile(m_library, fresh);
        m_library.catalogue.CommitAndContinue();
    }
    m_song = fresh;
    DisplaySongDetails();
}

void SongDetailsController::RelinkSongFile() {
    if (m_display == nullptr || m_song.SongNum <= 0 || ReadOnly()) {
        return;
    }
    if (m_relinkFolder.isEmpty()) {
        m_relinkFolder = m_library.settings.Root;
    }
    const QString path = m_display->ChooseAudioFile(m_relinkFolder);
    if (path.isEmpty()) {
        return;
    }
    m_relinkFolder = QFileInfo(path).path();
    TSong other;
    const bool catalogued =
        m_library.songs.FindSongByFileName(path, other) > 0 && other.SongNum != m_song.SongNum;
    int choice = 1;
    if (catalogued) {
        choice = AskChoice(
            "This file is already on the database,\rare you sure you want to use it for this song as well?",
            "Yes, use", "No, view other");
        if (choice == 0) {
            return;
        }
    }
    if (choice == 1) {
        // The stored row, not the one on show: a change made elsewhere since is kept.
        TSong fresh;
        if (!m_library.songs.GetSongByNumber(m_song.SongNum, fresh)) {
            return;
        }
        fresh.FullPath = path;
        fresh.FileName = m_library.songs.RelativePathOf(path);
        fresh.Exi = true;
        m_library.songs.SaveSong(fresh);
        m_library.catalogue.CommitAndContinue();
        m_library.songs.FindSongByNumber(fresh.SongNum, m_song);
    }
    if (catalogued) {
        if (choice == 1) {
            ShowInfo("This Song updated ok, now showing other Song");
        }
        ShowSongDetails(other.SongNum);
        return;
    }
    DisplaySongDetails();
}

void SongDetailsController::RemoveTag(TagKind kind) {
    if (ReadOnly()) {
        return;
    }
    if (kind == TagKind::Id3v1) {
        if (!Confirm("Remove ID3v1 tag - OK?")) {
            return;
        }
        if (!RemoveId3v1(m_song.FullPath)) {
            ShowInfo("Unable to remove ID3v1 tag from file");
            return;
        }
    } else if (kind == TagKind::Id3v2) {
        if (!Confirm("Remove ID3v2 tag - OK?")) {
            return;
        }
        if (HeldFiles::IsHeld(m_song.FullPath)) {
            ShowInfo("Cannot remove tag - file in use");
            return;
        }
        if (!m_tags.RemoveId3v2(m_song.FullPath)) {
            ShowInfo("Unable to remove ID3v2 tag from file");
            return;
        }
    } else {
        return;
    }
    DisplaySongDetails();
}

void SongDetailsController::WriteTag(TagKind kind) {
    if (ReadOnly()) {
        return;
    }
    bool written = false;
    if (kind == TagKind::Id3v1) {
        written = WriteId3v1(m_song, m_library.settings.MP3TAGPOLICY, false, m_tags.State());
    } else if (kind == TagKind::Id3v2) {
        TSong song = m_song;
        m_tags.useV2 = true;
        written = m_tags.SaveId3v2(song);
        m_tags.useV2 = false;
    }
    if (written) {
        Refresh();
    }
}

void SongDetailsController::ViewPlaylist(int row) {
    if (!m_hooks.viewPlaylist || row < 0 || row >= m_playlistRows.RowCount()) {
        return;
    }
    m_hooks.viewPlaylist(m_playlistRows.Value(row, 0).toInt(), m_playlistRows.Value(row, 1).toInt());
}

void SongDetailsController::DropFromPlaylist(int row) {
    if (row < 0 || row >= m_playlistRows.RowCount() || ReadOnly()) {
        return;
    }
    if (m_playlists.DropPlaylistEntry(m_playlistRows.Value(row, 0).toInt(),
                                      m_playlistRows.Value(row, 1).toInt())) {
        m_library.catalogue.CommitAndContinue();
    }
    QueryPlaylists();
    Changed();
}

void SongDetailsController::AddToAnotherPlaylist() {
    if (!m_hooks.selectPlaylist || m_song.SongNum <= 0 || ReadOnly()) {
        return;
    }
    if (!m_hooks.selectPlaylist()) {
        return;
    }
    if (m_playlists.AddSongToTargetPlaylist(m_song)) {
        m_library.catalogue.CommitAndContinue();
    }
    QueryPlaylists();
    Changed();
}

void SongDetailsController::ListSongsPlayed(int row) {
    if (!m_hooks.listDay || row < 0 || row >= m_historyRows.RowCount()) {
        return;
    }
    m_hooks.listDay(m_historyRows.Value(row, 0).toInt());
}

}  // namespace sw
