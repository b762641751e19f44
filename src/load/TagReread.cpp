#include "TagReread.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <set>

#include "FileImporter.h"
#include "LoadableFile.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "core/SongPaths.h"
#include "core/SongStore.h"
#include "foundation/Dialogs.h"
#include "tags/TagPolicy.h"

namespace sw {

namespace {

/// Re-reads are committed in batches of this many songs: a killed program loses no more.
constexpr int kSongsPerCommit = 50;

/// Sets the Unicode switch for one read and puts it back afterwards.
class UnicodeSwitchScope {
public:
    UnicodeSwitchScope(Settings& settings, bool on) : m_settings(settings), m_was(settings.UNICODETAGS) {
        m_settings.UNICODETAGS = on;
    }
    ~UnicodeSwitchScope() { m_settings.UNICODETAGS = m_was; }
    UnicodeSwitchScope(const UnicodeSwitchScope&) = delete;
    UnicodeSwitchScope& operator=(const UnicodeSwitchScope&) = delete;

private:
    Settings& m_settings;
    bool m_was;
};

bool IsFlacOrOpus(const QString& path) {
    const QString type = FileTypeOf(path);
    return type == "FLAC" || type == "OPUS";
}

/// The details a tag gives, as the catalogue keeps them.
bool SameDetails(const TSong& a, const TSong& b) {
    return a.Title == b.Title && a.ArtistName == b.ArtistName && a.AlbumName == b.AlbumName &&
           a.Year == b.Year && a.Track == b.Track && a.Comment == b.Comment && a.GenreId == b.GenreId;
}

}  // namespace

TagReread::TagReread(Library& library, TagPolicy& tags, FileImporter& importer)
    : m_library(library), m_tags(tags), m_importer(importer) {}

std::vector<std::pair<int, QString>> TagReread::CataloguedFiles() {
    const RowSet rows = m_library.catalogue.Select("select SONGNUM, FN from SONG order by SONGNUM");
    std::vector<std::pair<int, QString>> files;
    for (int row = 0; row < rows.RowCount(); ++row) {
        const QString name = rows.Value(row, 1).toString();
        if (name.isEmpty()) {
            continue;
        }
        const QString path = m_library.songs.FullPathOf(name);
        if (QFileInfo(path).isFile()) {
            files.emplace_back(rows.Value(row, 0).toInt(), path);
        }
    }
    return files;
}

bool TagReread::TagWasIgnored(const TSong& stored) {
    if (FileTypeOf(stored.FullPath) != "MP3") {
        return false;
    }
    TSong ignoring;
    {
        UnicodeSwitchScope off(m_library.settings, false);
        const bool ignoredBefore = m_tags.unicodeTagsIgnored;
        m_tags.unicodeTagsIgnored = false;
        m_tags.ReadSongFromFile(stored.FullPath, ignoring, ResolveMode::None);
        const bool ignored = m_tags.unicodeTagsIgnored;
        m_tags.unicodeTagsIgnored = ignoredBefore;
        if (!ignored) {
            return false;
        }
    }
    FitSongToColumns(ignoring);
    return SameDetails(stored, ignoring);
}

bool TagReread::ReadDetails(const TSong& stored, TSong& fresh) {
    UnicodeSwitchScope on(m_library.settings, true);
    const bool ignoredBefore = m_tags.unicodeTagsIgnored;
    const bool readable = m_tags.ReadSongFromFile(stored.FullPath, fresh, ResolveMode::Create);
    m_tags.unicodeTagsIgnored = ignoredBefore;
    FitSongToColumns(fresh);
    return readable;
}

bool TagReread::RereadSong(int songNum) {
    TSong song;
    if (!m_library.songs.FindSongByNumber(songNum, song)) {
        return false;
    }
    TSong fresh;
    if (!ReadDetails(song, fresh) || SameDetails(song, fresh)) {
        return false;
    }
    // Only what the tags carry: the number, rating, dates, duration and file stay the song's.
    song.Title = fresh.Title;
    song.ArtistName = fresh.ArtistName;
    song.ArtistId = fresh.ArtistId;
    song.AlbumName = fresh.AlbumName;
    song.AlbumId = fresh.AlbumId;
    song.Year = fresh.Year;
    song.Track = fresh.Track;
    song.GenreId = fresh.GenreId;
    song.GenreName = fresh.GenreName;
    song.Comment = fresh.Comment;
    m_library.songs.SaveSong(song);
    return true;
}

QStringList TagReread::UnlistedFlacOpusFiles() {
    std::set<QString> folders;
    for (const auto& [songNum, path] : CataloguedFiles()) {
        folders.insert(QFileInfo(path).absolutePath());
    }
    QStringList files;
    for (const QString& folder : folders) {
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo& entry : entries) {
            const QString path = entry.absoluteFilePath();
            if (IsFlacOrOpus(path) && IsLoadableFile(path, true) &&
                m_library.songs.SongNumForExactFile(path) == 0) {
                files << path;
            }
        }
    }
    // The load window's order: paths compared without regard to case, ties by case.
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return files;
}

TagRereadCounts TagReread::Run(const TagRereadRequest& request, const TagRereadProgress& progress) {
    TagRereadCounts counts;
    const auto goOn = [&](int done, int total) {
        if (progress && !progress(done, total)) {
            counts.cancelled = true;
        }
        return !counts.cancelled;
    };
    if (request.unicodeTags) {
        const auto files = CataloguedFiles();
        const int total = static_cast<int>(files.size());
        int sinceCommit = 0;
        for (const auto& [songNum, path] : files) {
            if (!goOn(counts.examined, total)) {
                break;
            }
            ++counts.examined;
            try {
                TSong stored;
                if (FileTypeOf(path) == "MP3" && m_library.songs.FindSongByNumber(songNum, stored) &&
                    TagWasIgnored(stored) && RereadSong(songNum)) {
                    ++counts.reread;
                    if (++sinceCommit >= kSongsPerCommit) {
                        m_library.catalogue.CommitAndContinue();
                        sinceCommit = 0;
                    }
                }
            } catch (const DatabaseError&) {
                m_library.catalogue.CommitAndContinue();
                throw;
            } catch (const std::exception&) {
                ++counts.failed;
            }
        }
        goOn(counts.examined, total);
        m_library.catalogue.CommitAndContinue();
    }
    if (request.flacOpus && !counts.cancelled) {
        const QStringList files = UnlistedFlacOpusFiles();
        if (!files.isEmpty()) {
            const int total = static_cast<int>(files.size());
            bool& cancel = m_importer.LoadCancel();
            cancel = false;
            m_importer.StartLoadRun(false);
            try {
                int done = 0;
                for (const QString& path : files) {
                    if (!goOn(done, total) || cancel) {
                        break;
                    }
                    m_importer.ImportFile(path);
                    m_importer.CommitIfDue();
                    ++done;
                    if (m_library.songs.SongNumForExactFile(path) > 0) {
                        ++counts.added;
                    }
                }
            } catch (...) {
                m_importer.FinishLoadRun();
                throw;
            }
            m_importer.FinishLoadRun();
        }
    }
    return counts;
}

QString TagRereadSummary(const TagRereadCounts& counts) {
    QString text = "Tags re-read for " + QString::number(counts.reread) + " song(s)";
    if (counts.added > 0) {
        text += ", " + QString::number(counts.added) + " FLAC or Opus file(s) loaded";
    }
    if (counts.failed > 0) {
        text += ", " + QString::number(counts.failed) + " file(s) could not be read";
    }
    if (counts.cancelled) {
        text += " (cancelled)";
    }
    return text;
}

}  // namespace sw
