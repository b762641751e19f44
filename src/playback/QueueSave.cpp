// Saving the queue as a playlist.
#include "QueueController.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"
#include "playback/Playlists.h"

namespace sw {

bool QueueController::SaveQueueAsPlaylist() {
    if (RowCount() == 0) {
        return false;
    }
    if (!m_queueChanged && !Confirm("Playlist has not been changed - save it anyway ?")) {
        return false;
    }
    if (m_display) {
        m_display->ShowQueueWindow();
    }
    bool anySkipped = false;
    for (int row = 1; row <= RowCount() && !anySkipped; ++row) {
        anySkipped = Cell(row, QueueColumn::Now) == kMarkerSkipped;
    }
    bool saveSkipped = true;
    if (anySkipped) {
        const int answer = AskChoice(
            "The Skip indicator is not saved.\rSkipped songs can be all unskipped or all dropped\r(or click "
            "Cancel to "
            "tackle individually)",
            "unskip", "drop");
        if (answer == 0) {
            return false;
        }
        saveSkipped = answer == 1;
    }
    Tplist& source = QueueSourcePlaylist();
    bool append = false;
    if (source.Id > 0) {
        const int update =
            AskChoice("Update existing playlist " + QuoteDouble(source.Name) + ", or create new ?",
                      "Update existing", "Create new");
        if (update == 0) {
            return false;
        }
        if (update == 1) {
            const int how =
                AskChoice("Overwrite existing playlist, or Append to it ?", "Overwrite", "Append");
            if (how == 0) {
                return false;
            }
            if (how == 1) {
                m_playlists.ClearPlaylistEntries(source.Id);
            } else {
                append = true;
            }
        } else {
            ForgetPlaylist(source);
        }
    }
    if (source.Id == 0) {
        if (!m_playlists.AskNewPlaylist()) {
            return false;
        }
        source = m_playlists.TargetPlaylist();
    }
    // Entries are dropped by seq, so seqs must stay unique in a playlist: appended rows are
    // numbered on from its highest seq, keeping their distances (and the gaps of dropped rows).
    const int offset = append ? m_playlists.NextPlaylistSeq(source.Id) - 1 : 0;
    for (int row = 1; row <= RowCount(); ++row) {
        if (!saveSkipped && Cell(row, QueueColumn::Now) == kMarkerSkipped) {
            continue;
        }
        m_playlists.InsertPlaylistEntry(Row(row).song->Song(), source.Id, offset + row);
    }
    FlashWait();
    m_library.catalogue.CommitAndContinue();
    FlashMessage("Playlist " + QuoteDouble(source.Name) + " saved ok");
    m_queueChanged = false;
    return true;
}

void QueueController::ClearAllSavingFirst() {
    if (m_queueChanged && !SaveQueueAsPlaylist()) {
        return;
    }
    ClearQueueFrom(0);
}

void QueueController::WindowClosing() {
    if (m_queueChanged && (m_promptToSave || QueueSourcePlaylist().Id > 0)) {
        SaveQueueAsPlaylist();
    }
}

}  // namespace sw
