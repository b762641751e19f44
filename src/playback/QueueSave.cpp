// Saving the queue as a playlist.
#include "QueueController.h"

#include <optional>

#include "core/Catalogue.h"
#include "core/Library.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"
#include "core/Playlists.h"

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
    bool replace = false;
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
            replace = how == 1;
            append = how == 2;
        } else {
            ForgetPlaylist(source);
        }
    }
    Tplist saved = source;
    const bool named = source.Id == 0;
    bool create = false;
    if (named) {
        const std::optional<PlaylistNameAnswer> answer = m_playlists.AskPlaylistName();
        if (!answer) {
            return false;
        }
        saved.Name = answer->name;
        if (answer->existingId) {
            // Writing the rows beside the entries already there would give each seq twice.
            if (!Confirm("A playlist with this name already exists - replace its songs with the queue ?")) {
                return false;
            }
            saved.Id = *answer->existingId;
            replace = true;
        } else {
            create = true;
        }
    }

    // The playlist is written whole or not at all: what was pending before is committed apart,
    // and a statement that fails takes the save's other statements with it.
    Catalogue& catalogue = m_library.catalogue;
    catalogue.CommitAndContinue();
    try {
        if (create) {
            saved.Id = catalogue.NextPlaylistId();
            m_playlists.InsertPlaylistRow(saved.Id, saved.Name, false);
        }
        if (replace) {
            m_playlists.ClearPlaylistEntries(saved.Id);
        }
        // Entries are dropped by seq, so seqs must stay unique in a playlist: appended rows are
        // numbered on from its highest seq, keeping their distances (and the gaps of dropped rows).
        const int offset = append ? m_playlists.NextPlaylistSeq(saved.Id) - 1 : 0;
        for (int row = 1; row <= RowCount(); ++row) {
            if (!saveSkipped && Cell(row, QueueColumn::Now) == kMarkerSkipped) {
                continue;
            }
            m_playlists.InsertPlaylistEntry(Row(row).song->Song(), saved.Id, offset + row);
        }
        catalogue.CommitAndContinue();
    } catch (...) {
        try {
            catalogue.Rollback();
        } catch (...) {
            // The statement's own error is the one worth showing.
        }
        throw;
    }
    if (named) {
        // The playlist named becomes the target, as one made by AskNewPlaylist does.
        m_playlists.TargetPlaylist() = saved;
    }
    source = saved;
    // No events run while the save's statements are open: the wait comes after the commit.
    FlashWait();
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
