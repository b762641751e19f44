// The song pass of the database check: every song against its file and its tags.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "HealthCheck.h"
#include "TagPair.h"
#include "core/Catalogue.h"
#include "core/ColumnWidths.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Settings.h"
#include "core/SongPaths.h"
#include "core/SongRemoval.h"
#include "foundation/Dialogs.h"
#include "foundation/GatheringDialogs.h"
#include "foundation/Text.h"
#include "tags/Id3v1.h"
#include "tags/TagPolicy.h"

namespace sw {

namespace {

constexpr qint64 kMegabyte = 1'000'000;

bool SameFile(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

/// The stored name without the music root in front, or the name unchanged. The root is matched with
/// its letter case; one that differs only in case counts when both names lead to the same file (a
/// file system that ignores case), never when they name two different folders.
QString StripMusicRoot(const QString& name, const QString& root) {
    if (root.isEmpty() || name.size() <= root.size()) {
        return name;
    }
    if (name.startsWith(root)) {
        return name.mid(root.size());
    }
    const QString relative = name.mid(root.size());
    if (name.startsWith(root, Qt::CaseInsensitive) && SameFile(name, root + relative)) {
        return relative;
    }
    return name;
}

/// A tag whose details stand against the catalogue's. The MP4 and ASF tags of M4A and WMA files
/// count too, though nothing is ever written to them.
bool IsTagFound(int tagSource) {
    return tagSource == kTagId3v1 || tagSource == kTagId3v2 || tagSource == kTagOgg ||
           tagSource == kTagMp4OrAsf;
}

/// Errors of the database go on to the caller; any other error (a file that cannot be read or
/// written) is returned as text.
template <typename Work>
QString FileErrorOf(Work&& work) {
    try {
        work();
    } catch (const DatabaseError&) {
        throw;
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
    return QString();
}

/// As FileErrorOf, for work that writes a file: the tag writer's messages (a file that cannot be
/// written, a tag parked) go into the problem's line, not into a box per file.
template <typename Work>
QString WriteErrorOf(const QString& path, Work&& work) {
    GatheringDialogs gathering(ActiveDialogs());
    QString error;
    {
        ScopedDialogs quiet(gathering);
        error = FileErrorOf(std::forward<Work>(work));
    }
    QStringList messages = gathering.Take();
    if (!error.isEmpty()) {
        messages << error;
    }
    return MessagesLine(path, messages);
}

/// Empty when the start of the file can be read; otherwise the system's reason.
QString ReadErrorOf(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    char buffer[4096];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    const int error = errno;
    ::close(fd);
    return got < 0 ? QString::fromLocal8Bit(std::strerror(error)) : QString();
}

}  // namespace

/// What the song pass keeps from row to row: its statements, the ids the catalogue holds, and the
/// files already met.
struct HealthCheck::SongScan {
    explicit SongScan(Catalogue& catalogue)
        : fn(catalogue, "update song set fn = :fn where songnum = :songnum"),
          year(catalogue, "update song set \"year\" = :year where songnum = :songnum"),
          exi(catalogue, "update song set exi = :exi where songnum = :songnum"),
          size(catalogue, "update song set \"size\" = :size where songnum = :songnum"),
          album(catalogue, "update song set albumid = 0 where songnum = :songnum"),
          artist(catalogue, "update song set artistid = 0 where songnum = :songnum"),
          albumFiles(catalogue,
                     "update album set numexi = maxvalue(coalesce(numexi, 0) + :delta, 0) where albumid = :albumid") {
        albums = IdsOf(catalogue, "select albumid from album where albumid > 0");
        artists = IdsOf(catalogue, "select distinct artistid from artist where artistid is not null");
        genres = IdsOf(catalogue, "select genreid from genre");
        const RowSet shared =
            catalogue.Select("select songnum, count(*) as n from song group by songnum having count(*) > 1");
        for (int row = 0; row < shared.RowCount(); ++row) {
            sharedNums[shared.Value(row, 0).toInt()] = shared.Value(row, 1).toInt();
        }
    }

    static std::set<int> IdsOf(Catalogue& catalogue, const QString& sql) {
        std::set<int> ids;
        const RowSet rows = catalogue.Select(sql);
        for (int row = 0; row < rows.RowCount(); ++row) {
            ids.insert(rows.Value(row, 0).toInt());
        }
        return ids;
    }

    struct FirstRow {
        int songNum = 0;
        int rating = 0;
    };

    Query fn;
    Query year;
    Query exi;
    Query size;
    Query album;
    Query artist;
    Query albumFiles;
    std::set<int> albums;
    std::set<int> artists;
    std::set<int> genres;
    /// Song numbers held by more than one row, with their row counts.
    std::map<int, int> sharedNums;
    std::set<int> sharedReported;
    /// The first row met for each file.
    std::map<QString, FirstRow> files;
};

bool HealthCheck::SongPass(SeenInScan& seen) {
    RowSet songs = m_catalogue.Select("select * from song order by songnum");
    const int count = RecordCount(songs);
    StartTableScan("SONG", count);
    m_abort = false;
    SetRunning(true);
    m_problemCounter = 0;

    SongScan scan(m_catalogue);
    seen.songNums.reserve(static_cast<std::size_t>(count));
    for (songs.First(); !songs.Eof(); songs.Next()) {
        if (Aborted()) {
            EndScan();
            return false;
        }
        const int songNum = songs.Int("SONGNUM");
        SetProgress("Songs", count - songs.CurrentRow(), " id=" + QString::number(songNum));
        CheckSong(songs, scan, seen);
        seen.songNums.push_back(songNum);
    }
    std::sort(seen.songNums.begin(), seen.songNums.end());
    EndTableScan();

    QString latest = "latest = #0  ";
    if (count > 0) {
        songs.SetCurrentRow(count - 1);
        const TDateTime created = songs.DateTime("CREATETS");
        latest = "latest = #" + QString::number(songs.Int("SONGNUM")) + "  " +
                 (created != 0 ? FormatDateTime(1, created) : QString());
    }
    AddLine(latest);
    AddLine("Jukebox size " + QString::number(m_totalBytes / kMegabyte) + "MB");
    AddLine("(excludes MP3/OGG files referenced in this database that do not exist) ");
    AddLine(" ");
    m_library.size.SetJukeboxSizeExact(m_totalBytes);
    return true;
}

void HealthCheck::CheckSong(const RowSet& songs, SongScan& scan, SeenInScan& seen) {
    const int songNum = songs.Int("SONGNUM");
    const QString prefix = "Song #" + QString::number(songNum) + " ";
    ++m_totals.songs;

    // A change by song number would reach every row holding that number: such rows are left to
    // the user.
    const auto shared = scan.sharedNums.find(songNum);
    const bool numberShared = shared != scan.sharedNums.end();
    if (numberShared && scan.sharedReported.insert(songNum).second) {
        ReportManual(prefix + "song number is held by " + QString::number(shared->second) + " rows");
    }
    const auto repairRow = [&](const QString& text, const std::function<void()>& work) {
        if (numberShared) {
            ReportManual(text);
            return;
        }
        if (m_repair) {
            work();
        }
        ReportRepairable(text);
    };

    // An absolute name under the music root is to be stored relative to it.
    const QString stored = songs.Text("FN");
    QString path;
    if (stored.startsWith('/')) {
        path = stored;
        const QString relative = StripMusicRoot(stored, m_library.settings.Root);
        if (relative != stored) {
            if (!m_rootStripReported) {
                m_rootStripReported = true;
                ReportRepairable("Stripping root from filenames");
            }
            if (m_repair && !numberShared) {
                scan.fn.SetText("fn", relative).SetInteger("songnum", songNum).Execute();
            }
        }
    } else {
        path = m_library.songs.FullPathOf(stored);
    }

    // A second row of one file. It goes only when it holds nothing of its own: the play history
    // of a song is never deleted.
    const int rating = songs.Int("RATING");
    const auto [first, firstRow] = scan.files.try_emplace(path, SongScan::FirstRow{songNum, rating});
    const bool sameFileAgain = !path.isEmpty() && !firstRow && first->second.songNum != songNum;
    if (sameFileAgain) {
        const QString text = prefix + "same file as song #" + QString::number(first->second.songNum);
        const QString number = QString::number(songNum);
        QStringList own;
        if (m_catalogue.Select("select count(*) as n from history where songnum = " + number).Int("N") > 0) {
            own << "play history";
        }
        if (m_catalogue.Select("select count(*) as n from songinpl where songnum = " + number).Int("N") > 0) {
            own << "playlist entries";
        }
        if (rating != 0 && rating != first->second.rating) {
            own << "rating";
        }
        if (numberShared || !own.isEmpty()) {
            ReportManual(own.isEmpty() ? text : text + ", with its own " + own.join(", "));
        } else {
            ReportRepairable(text);
            if (m_repair) {
                DeleteSongRows(m_catalogue, songNum);
                return;
            }
        }
    }

    const bool present = !path.isEmpty() && QFileInfo(path).isFile();
    // A file that is there but cannot be read has no tag to judge, and none may be written to it.
    const QString unreadable = present ? ReadErrorOf(path) : QString();
    if (!unreadable.isEmpty()) {
        ReportManual(prefix + "file cannot be read : " + unreadable);
    } else {
        CheckTags(songs, scan, prefix, path, numberShared);
    }

    const int albumId = songs.Int("ALBUMID");
    const bool albumFound = albumId != 0 && scan.albums.count(albumId) > 0;
    const bool filesOption = Option(HealthOption::FileMismatches);
    if (filesOption && present != (songs.Int("EXI") == 1)) {
        repairRow(prefix + "db wrongly shows file as " + (present ? "absent" : "present"), [&] {
            scan.exi.SetInteger("exi", present ? 1 : 0).SetInteger("songnum", songNum).Execute();
            // The album's count of present files follows the flag.
            if (albumFound) {
                scan.albumFiles.SetInteger("delta", present ? 1 : -1).SetInteger("albumid", albumId).Execute();
            }
        });
    }
    // Measured after the tag checks: a tag the repair wrote made the file longer.
    const qint64 actual = present ? QFileInfo(path).size() : 0;
    if (!sameFileAgain) {
        m_totalBytes += actual;
    }
    const qint64 storedSize = songs.Int64("size");
    if (present && filesOption && StoredFileSize(actual) != storedSize) {
        repairRow(prefix + " actual file size " + QString::number(actual) + ", DB thinks " +
                      QString::number(storedSize),
                  [&] { scan.size.SetInteger("size", StoredFileSize(actual)).SetInteger("songnum", songNum).Execute(); });
    }

    if (albumId != 0 && !albumFound) {
        repairRow(prefix + "album not found #" + QString::number(albumId),
                  [&] { scan.album.SetInteger("songnum", songNum).Execute(); });
    } else if (albumFound && present) {
        ++seen.albumFiles[albumId];
    }

    const int artistId = songs.Int("ARTISTID");
    if (artistId != 0 && scan.artists.count(artistId) == 0) {
        repairRow(prefix + "artist not found #" + QString::number(artistId),
                  [&] { scan.artist.SetInteger("songnum", songNum).Execute(); });
    }

    const int genreId = songs.Int("GENREID");
    if (scan.genres.count(genreId) > 0) {
        seen.genreFiles[genreId] += present ? 1 : 0;
    }

    if (unreadable.isEmpty() && Option(HealthOption::BothTags) && present && FileTypeOf(path) == "MP3" &&
        CheckTagPair(prefix, path)) {
        // The file is shorter by the tag the repair removed; the catalogue follows it.
        const qint64 now = QFileInfo(path).size();
        if (!sameFileAgain) {
            m_totalBytes += now - actual;
        }
        scan.size.SetInteger("size", StoredFileSize(now)).SetInteger("songnum", songNum).Execute();
    }
}

void HealthCheck::CheckTags(const RowSet& songs, SongScan& scan, const QString& prefix, const QString& path,
                            bool numberShared) {
    const int songNum = songs.Int("SONGNUM");
    TSong file;
    TagState& state = m_reader.State();
    state.UnicodeFrameSeen = false;
    bool read = false;
    const QString readError =
        FileErrorOf([&] { read = m_reader.ReadSongFromFile(path, file, ResolveMode::None); });
    if (!readError.isEmpty()) {
        ReportManual(prefix + "file cannot be read : " + readError);
    }
    const bool tagFound = read && IsTagFound(file.TagSource);
    const bool emptyTag = state.EmptyTagRead;

    if (tagFound) {
        if (emptyTag) {
            ReportManual(prefix + "null tag in MP3/OGG file");
        }
        QString dbYear = songs.Text("year");
        QString tagYear = file.Year;
        TrimTrailingBlanks(dbYear);
        TrimTrailingBlanks(tagYear);
        if (dbYear != tagYear) {
            const QString text = prefix + "year" + " mismatch : on db " + QuoteDouble(dbYear) + ", on file " +
                                 QuoteDouble(tagYear);
            if (dbYear.size() < 4 && tagYear.size() == 4 && numberShared) {
                ReportManual(text);
            } else if (dbYear.size() < 4 && tagYear.size() == 4) {
                if (m_repair) {
                    scan.year.SetText("year", tagYear).SetInteger("songnum", songNum).Execute();
                }
                ReportRepairable(text);
            } else if (tagYear.size() < 4 && dbYear.size() == 4 && !emptyTag &&
                       !IsReadOnlyTagType(file.FileType)) {
                // A tag without title, artist and album is not rewritten from what was read of it,
                // nor is a tag this program only reads (M4A, WMA): both are left to the user.
                QString why;
                bool written = false;
                if (m_repair) {
                    file.Year = dbYear;
                    written = WriteRepairTags(file, why);
                }
                ReportRepairable(text, written, why);
            } else {
                ReportManual(text);
            }
        }
        const int dbGenre = songs.Int("GENREID");
        if (Option(HealthOption::GenreMismatches) && file.GenreId != dbGenre) {
            QString onDb;
            QString onFile;
            if (file.TagSource == kTagId3v1) {
                onDb = QString::number(dbGenre);
                onFile = QString::number(file.GenreId);
            } else {
                m_library.songs.GenreNameById(dbGenre, onDb);
                onDb = QuoteDouble(onDb);
                onFile = QuoteDouble(file.GenreName);
            }
            ReportManual(prefix + "genre" + " mismatch : on db " + onDb + ", on file " + onFile);
        }
    } else if (Option(HealthOption::NoTags) && readError.isEmpty() && file.TagSource == kTagNoTag &&
               !state.UnicodeFrameSeen) {
        // An ID3v2 tag in Unicode text is a tag this program does not read, not a missing one:
        // writing tags over it would lose its text.
        QString why;
        bool written = false;
        if (m_repair) {
            TSong song;
            written = !m_library.songs.FindSongByNumber(songNum, song) || WriteRepairTags(song, why);
        }
        ReportRepairable(prefix + "file has no tag", written, why);
    }
}

bool HealthCheck::CheckTagPair(const QString& prefix, const QString& path) {
    TSong v1;
    TSong v2;
    v1.FullPath = path;
    v2.FullPath = path;
    const QString readError = FileErrorOf([&] {
        ReadId3v1(v1, m_reader.State());
        m_reader.ReadId3v2IntoSong(v2);
    });
    if (!readError.isEmpty() || v1.TagSource != kTagId3v1 || v2.TagSource != kTagId3v2) {
        return false;
    }
    // Saves under the policies that write ID3v1 keep in the ID3v2 tag only what ID3v1 cannot hold
    // (a longer title, a composer, a picture): readers take the rest from ID3v1. Such a pair is
    // how it should be; a pair is only worth reporting when the ID3v2 tag repeats ID3v1.
    TSong merged = v2;
    bool repeats = false;
    for (auto [field, fallback] : {std::pair{&merged.Title, &v1.Title}, std::pair{&merged.ArtistName, &v1.ArtistName},
                                   std::pair{&merged.AlbumName, &v1.AlbumName}, std::pair{&merged.Comment, &v1.Comment},
                                   std::pair{&merged.Year, &v1.Year}}) {
        repeats = repeats || (!field->isEmpty() && *field == *fallback);
        if (field->isEmpty()) {
            *field = *fallback;
        }
    }
    repeats = repeats || (merged.Track != 0 && merged.Track == v1.Track) ||
              (!merged.GenreName.isEmpty() && merged.GenreId != kNoGenre && merged.GenreId == v1.GenreId);
    if (merged.Track == 0) {
        merged.Track = v1.Track;
    }
    if (merged.GenreName.isEmpty() && merged.GenreId == kNoGenre) {
        merged.GenreId = v1.GenreId;
    }
    const TagPairKind kind = CompareTagPair(v1, merged);
    if (kind != TagPairKind::Mismatched && !repeats) {
        return false;
    }
    QString text = prefix + "v1 & v2 tags both present : ";
    bool selected = false;
    bool removed = false;
    if (kind == TagPairKind::Mismatched && Option(HealthOption::Mismatched)) {
        text += "mismatched";
        selected = true;
    } else if (kind == TagPairKind::Identical && Option(HealthOption::Identical)) {
        text += "identical";
        selected = true;
    } else if (kind == TagPairKind::Truncated && Option(HealthOption::Truncated)) {
        text += "v1 = trunc(v2)";
        selected = true;
    }
    if (selected) {
        // A check counts a mismatched pair as one a repair can clean up, whichever tag it deletes.
        const int whichTag = m_repair ? m_whichTag : 1;
        const TagRemoval removal = PairRemoval(m_library.settings.MP3TAGPOLICY, kind, whichTag);
        if (m_repair && removal != TagRemoval::None) {
            const QString error = WriteErrorOf(path, [&] {
                if (removal == TagRemoval::Id3v1) {
                    removed = RemoveId3v1(path);
                } else {
                    removed = m_writer.RemoveId3v2(path, kind == TagPairKind::Mismatched) ||
                              (removal == TagRemoval::Id3v2ElseId3v1 && RemoveId3v1(path));
                }
            });
            if (!removed) {
                text += " (not repaired" + (error.isEmpty() ? QString() : ": " + error) + ")";
            }
        }
        if (removed) {
            text += " (repaired)";
            ++m_totals.repaired;
        } else if (removal != TagRemoval::None) {
            ++m_totals.outstanding;
        }
    }
    ReportProblem(text);
    return removed;
}

bool HealthCheck::WriteRepairTags(TSong& song, QString& why) {
    // Under "v1 where no truncation, else v2" details too long for an ID3v1 tag go to an ID3v2 tag,
    // as the edit window would choose without asking; a repair never cuts them.
    if (song.FileType == "MP3" && m_library.settings.MP3TAGPOLICY == 2 && !m_writer.Id3v1Fits(song)) {
        m_writer.useV2 = true;
    }
    bool written = false;
    why = WriteErrorOf(song.FullPath, [&] { written = m_writer.SaveSongTags(song); });
    m_writer.useV2 = false;
    return written;
}

}  // namespace sw
