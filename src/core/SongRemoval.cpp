#include "SongRemoval.h"

#include <QFileInfo>

#include "Catalogue.h"
#include "Library.h"
#include "Settings.h"
#include "foundation/Dialogs.h"
#include "foundation/Files.h"

namespace sw {

bool DeleteSongRows(Catalogue& catalogue, int songNum) {
    const QString number = QString::number(songNum);
    // A song whose file exists leaves its album's count of existing files with it.
    catalogue.ExecSql("update album set numexi = maxvalue(coalesce(numexi, 0) - 1, 0) where albumid = "
                      "(select first 1 albumid from song where songnum = " + number + " and exi = 1)");
    catalogue.ExecSql("delete from song where songnum = " + number);
    catalogue.ExecSql("delete from songinpl where songnum = " + number);
    // The song's SONGLOUDNESS row (layout version 12) goes with it through the table's trigger.
    return true;
}

bool ConfirmRemoveSong(Library& library, int songNum) {
    if (!Confirm("Remove song from database ?")) {
        return false;
    }
    return DeleteSongRows(library.catalogue, songNum);
}

bool DeleteSongFile(Library& library, int songNum, bool alsoRemove) {
    TSong song;
    if (!library.songs.FindSongByNumber(songNum, song)) {
        return false;
    }
    const QString question =
        song.FullPath + "\n" + "Delete file " + (alsoRemove ? "& remove song from database " : "");
    if (!ConfirmSure(question)) {
        return false;
    }
    const qint64 size = FileSizeBytes(song.FullPath);
    if (!DeleteFileReporting(song.FullPath)) {
        return false;
    }
    library.size.AdjustJukeboxSize(-size);
    if (alsoRemove) {
        DeleteSongRows(library.catalogue, songNum);
    } else {
        song.Exi = false;
        library.songs.SaveSong(song);
    }
    return true;
}

bool RemoveSongAction(Library& library, int songNum, RemoveAction action) {
    if (RefuseIfReadOnly(library.settings.READONLY)) {
        return false;
    }
    switch (action) {
        case RemoveAction::DeleteFile:
            return DeleteSongFile(library, songNum, false);
        case RemoveAction::RemoveSong:
            return ConfirmRemoveSong(library, songNum);
        case RemoveAction::DeleteAndRemove:
            return DeleteSongFile(library, songNum, true);
    }
    return false;
}

void RecheckSongFile(Library& library, TSong& song) {
    const bool present = QFileInfo(song.FullPath).isFile();
    library.songs.StoreExi(song, present);
    // The stored size stops at 2 GiB; a file that is there counts with its real size.
    library.size.AdjustJukeboxSize(present ? FileSizeBytes(song.FullPath) : -static_cast<qint64>(song.Size));
    library.songs.ReloadSong(song);
}

void SetSongDuration(Catalogue& catalogue, const TSong& song) {
    catalogue.ExecSqlCommit("update song set duration = " + QString::number(song.Duration) +
                            " where songnum = " + QString::number(song.SongNum));
}

void ShowStaleDetails() {
    ShowInfo("Details have changed since they were displayed, please Refresh & try again");
}

}  // namespace sw
