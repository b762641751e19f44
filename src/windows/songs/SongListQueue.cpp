// What the songs window sends to the now-playing queue, and the durations it measures.
#include <map>

#include "SongListController.h"
#include "SongListSql.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/SongRemoval.h"
#include "foundation/Dialogs.h"
#include "playback/PlaybackState.h"
#include "core/Playlists.h"
#include "playback/QueueController.h"

namespace sw {

void SongListController::SetQueue(QueueController* queue, QueuePlayer* player) {
    m_queue = queue;
    m_player = player;
}

TSong SongListController::SongOfRow(int row) {
    TSong song;
    if (SongNumAt(row) > 0) {
        m_rows.SetCurrentRow(row);
        m_library.songs.FillSongFromRow(m_rows, song);
    }
    return song;
}

void SongListController::MoveAddedToLine(int count) {
    int line = m_queue->TargetLine();
    if (InputInteger("Enter target line number", line)) {
        m_queue->SetTargetLine(line);
        m_queue->MoveLastRowsToLine(count);
    }
}

void SongListController::QueueSongs(PlayScope scope, QueueKind kind) {
    if (!QueueConnected() || !m_queryOpen || RowCount() == 0) {
        return;
    }
    if (kind == QueueKind::PlayNow) {
        const int answer = AskInterrupt(m_player->State());
        if (answer == 0) {
            return;
        }
        if (answer == 2) {
            kind = QueueKind::Append;
        }
    }
    if (scope == PlayScope::Selection && m_selectedCount == 0) {
        ShowInfo(kNoSongsSelected);
        return;
    }

    // The rows in list order; the list's cursor stays where it is.
    std::vector<int> rows;
    if (scope == PlayScope::Selection) {
        rows = SelectedRows();
    } else {
        const int first = scope == PlayScope::WholeList ? 0 : std::max(m_current, 0);
        const int last = scope == PlayScope::ThisSong ? first : RowCount() - 1;
        for (int row = first; row <= last; ++row) {
            rows.push_back(row);
        }
    }

    int added = 0;
    int firstAdded = -1;
    {
        QueueController::Batch batch(*m_queue);
        if (scope == PlayScope::Selection && kind == QueueKind::PlayNext) {
            // From the last to the first, each right after the playing row: they follow it in list order.
            for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
                const TSong song = SongOfRow(*row);
                if (song.SongNum > 0 && m_queue->QueueAsNext(song) > 0) {
                    ++added;
                }
            }
        } else {
            bool asked = false;
            bool skipBad = false;
            for (const int row : rows) {
                const TSong song = SongOfRow(row);
                if (song.SongNum <= 0) {
                    continue;
                }
                if (scope != PlayScope::Selection && scope != PlayScope::ThisSong && song.Rating < 0) {
                    if (!asked) {
                        skipBad = Confirm("Skip bad song(s)?");
                        asked = true;
                    }
                    if (skipBad) {
                        continue;
                    }
                }
                const int queued = m_queue->AppendToQueue(song);
                if (queued > 0) {
                    ++added;
                    if (firstAdded < 0) {
                        firstAdded = queued;
                    }
                }
            }
            if (added > 0 && kind == QueueKind::PlayNext) {
                m_queue->MoveLastRowsToNext(added);
            }
        }
    }
    if (added == 0) {
        return;
    }
    if (kind == QueueKind::Insert) {
        MoveAddedToLine(added);
    } else if (kind == QueueKind::PlayNow) {
        m_queue->PlayQueueRow(firstAdded);
    }
}

void SongListController::ShowAlbumAndPlay(int albumId) {
    ShowAlbumSongs(albumId);
    if (m_queryOpen && m_mode == SongListMode::Album && m_albumId == albumId) {
        QueueSongs(PlayScope::WholeList, QueueKind::PlayNow);
    }
}

void SongListController::EditPlaylistInQueue() {
    if (!QueueConnected() || !EditPlaylistEnabled()) {
        return;
    }
    if (m_player->State() != PlaybackState::Stopped) {
        ShowInfo("Cannot edit playlist while a song is playing");
        return;
    }
    if (!m_queue->QueueIsEmpty() && !ConfirmOK("Current Now-Playing list will be cleared")) {
        return;
    }
    m_player->StopPlayback();
    m_queue->ClearQueueFrom(0);
    // The queue is saved back over the playlist: it takes every entry whose song is catalogued, in
    // seq order, whatever the list's filters hide and however bad or missing the song. An entry
    // left out here would be gone from the playlist at the save.
    SongListQueryParts whole;
    whole.mode = SongListMode::Playlist;
    Query entries(m_library.catalogue, SongListQueryText(whole));
    entries.SetInteger("id", m_playlistId);
    RowSet rows = entries.Open();
    {
        QueueController::Batch batch(*m_queue);
        const int songNum = rows.ColumnIndex("SONGNUM");
        for (int row = 0; row < rows.RowCount(); ++row) {
            if (!rows.Value(row, songNum).isValid()) {
                continue;
            }
            rows.SetCurrentRow(row);
            TSong song;
            m_library.songs.FillSongFromRow(rows, song);
            m_queue->AppendPlaylistEntry(song);
        }
    }
    m_queue->QueueSourcePlaylist() = m_playlists.TargetPlaylist();
    m_queue->SetQueueTitle();
    if (m_hooks.showQueue) {
        m_hooks.showQueue();
    }
    ShowInfo("Warning : save your changes as you go");
}

void SongListController::FixDurations() {
    if (!m_measure || ReadOnly()) {
        return;
    }
    if (m_player && m_player->State() != PlaybackState::Stopped) {
        ShowInfo("Durations cannot be set while a song is playing");
        return;
    }
    if (!m_queryOpen) {
        FlashMessage("Opening query");
        BuildSongList();
    }
    bool changed = false;
    {
        BusyScope busy;
        // A song listed twice (a playlist, a day of history) is measured once.
        std::map<int, int> measured;
        for (int row = 0; row < RowCount(); ++row) {
            const TSong song = SongOfRow(row);
            if (song.SongNum <= 0 || measured.count(song.SongNum) > 0) {
                continue;
            }
            const int seconds = m_measure(song.FullPath);
            measured[song.SongNum] = seconds;
            if (seconds >= 0 && seconds != song.Duration) {
                TSong stored = song;
                stored.Duration = seconds;
                SetSongDuration(m_library.catalogue, stored);
                changed = true;
            }
        }
    }
    if (changed) {
        BuildSongList();
    } else {
        ShowInfo("These durations already all ok");
    }
}

}  // namespace sw
