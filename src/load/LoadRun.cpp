#include "LoadRun.h"

#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/RowSet.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "foundation/Files.h"
#include "foundation/Text.h"
#include "tags/TagPolicy.h"
#include "tags/TagSwitches.h"

namespace sw {

LoadRun::LoadRun(Library& library, TagPolicy& tags) : m_library(library), m_tags(tags) {}

bool LoadRun::IsLoadable(const QString& path) {
    return IsLoadableFile(path, m_library.settings.FLACOPUS);
}

int LoadRun::SongNumForFile(const QString& path) {
    return m_library.songs.SongNumForFile(path);
}

bool& LoadRun::LoadCancel() {
    return m_library.songs.loadCancel;
}

void LoadRun::StartLoadRun(bool loadAll) {
    m_tags.unicodeTagsIgnored = false;
    m_timestamp = StampToDateTime(NowStamp());
    m_library.settings.LastLoadedTS = m_timestamp;
    m_counts = {};
    if (loadAll) {
        m_library.songs.loadedWithoutDuration = false;
    }
    BusyBegin();
}

void LoadRun::ImportFile(const QString& path) {
    SongStore& songs = m_library.songs;
    TSong song;
    if (songs.FindSongByFileName(path, song) > 0) {
        song.SearchTs = m_timestamp;
        songs.SaveSong(song);
        ++m_counts.refreshed;
        return;
    }

    bool readable = false;
    try {
        readable = m_tags.ReadSongFromFile(path, song, ResolveMode::Create);
    } catch (const DatabaseError&) {
        throw;
    } catch (const std::exception&) {
        // A file that vanished or cannot be read is skipped without a message.
        readable = false;
    }
    if (!readable) {
        ++m_counts.skipped;
        return;
    }

    const bool found = songs.FindSongByDetails(song);
    songs.RefreshExi(song);
    if (found && song.Exi) {
        song.SongNum = 0;
        ++m_counts.copies;
    } else if (found) {
        ++m_counts.relinked;
    } else {
        ++m_counts.inserted;
    }
    song.SearchTs = m_timestamp;
    song.FullPath = path;
    song.FileName = songs.RelativePathOf(path);
    const qint64 size = FileSizeBytes(path);
    song.Size = static_cast<int>(size);
    song.Exi = true;
    m_library.size.AdjustJukeboxSize(size);
    songs.SaveSong(song);
}

void LoadRun::CommitAndContinue() {
    m_library.catalogue.CommitAndContinue();
}

void LoadRun::FinishLoadRun() {
    BusyEnd();
    if (m_showLastRun) {
        m_showLastRun();
    }
    if (m_tags.unicodeTagsIgnored) {
        // Names the Tags menu entry that reads them.
        ShowInfo("ID3v2 tags containing Unicode were ignored in some files loaded\r\n(switch on " +
                 QuoteDouble(TagSwitchFor(&Settings::UNICODETAGS).Caption) +
                 " in the Tags menu to read them)");
    }
}

}  // namespace sw
