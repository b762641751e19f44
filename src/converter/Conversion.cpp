#include "Conversion.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <cmath>
#include <functional>

#include "LegacyCatalogue.h"
#include "FolderMap.h"
#include "LegacySettings.h"
#include "core/Catalogue.h"
#include "core/ColumnWidths.h"
#include "core/Firebird.h"
#include "core/Query.h"
#include "foundation/Dates.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

namespace {

using paradox::Table;

/// Integer columns take numbers of any legacy type; null stays null.
void BindInteger(fb::Statement& insert, int index, const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::LongLong:
            insert.SetInteger(index, value.toLongLong());
            return;
        case QMetaType::Double:
            insert.SetInteger(index, std::llround(value.toDouble()));
            return;
        case QMetaType::Bool:
            insert.SetInteger(index, value.toBool() ? 1 : 0);
            return;
        case QMetaType::QString: {
            int number = 0;
            if (TryParseInt(value.toString().trimmed(), number) && !value.toString().trimmed().isEmpty()) {
                insert.SetInteger(index, number);
                return;
            }
            break;
        }
        default:
            break;
    }
    insert.SetNull(index);
}

/// Texts are cut to the column's width; an empty text is stored as null.
void BindText(fb::Statement& insert, int index, const QVariant& value, int width) {
    QString text;
    switch (value.typeId()) {
        case QMetaType::QString:
            text = value.toString();
            break;
        case QMetaType::LongLong:
        case QMetaType::Double:
            text = value.toString();
            break;
        default:
            break;
    }
    if (text.isEmpty()) {
        insert.SetNull(index);
    } else {
        insert.SetText(index, LeftChars(text, width));
    }
}

void BindTimestamp(fb::Statement& insert, int index, const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QDateTime:
            insert.SetTimestamp(index, FromQDateTime(value.toDateTime()));
            return;
        case QMetaType::QDate:
            insert.SetTimestamp(index, FromQDateTime(QDateTime(value.toDate(), QTime(0, 0))));
            return;
        default:
            insert.SetNull(index);
    }
}

/// 1 when the legacy flag is true, else 0 (null included).
void BindFlag(fb::Statement& insert, int index, const QVariant& value) {
    const bool set =
        value.typeId() == QMetaType::Bool ? value.toBool() : (value.isValid() && value.toDouble() != 0);
    insert.SetInteger(index, set ? 1 : 0);
}

/// The artist numbers of the target catalogue by name, looked up once per spelling.
class ArtistNumbers {
public:
    explicit ArtistNumbers(Catalogue& target)
        : m_query(target, "select a.artistid from artist a where lower(a.arname) = :arname") {}

    void Bind(fb::Statement& insert, int index, const QVariant& artist) {
        insert.SetInteger(index, Number(artist.toString()));
    }

private:
    int Number(const QString& name) {
        if (name.isEmpty()) {
            return 0;
        }
        const auto known = m_numbers.constFind(name);
        if (known != m_numbers.constEnd()) {
            return *known;
        }
        RowSet rows = m_query.SetText(":arname", FitToColumn(name, kArtistNameWidth).toLower()).Open();
        const int number = rows.RowCount() > 0 ? rows.Int("artistid") : 0;
        m_numbers.insert(name, number);
        return number;
    }

    Query m_query;
    QHash<QString, int> m_numbers;
};

/// A database's text on one log line.
QString OneLine(const char* text) {
    return QString::fromUtf8(text).simplified();
}

/// One table step: empties the target table, then inserts one target row per legacy row.
class TableStep {
public:
    TableStep(Catalogue& target, ConversionObserver& observer, ConversionTally& tally)
        : m_target(target), m_observer(observer), m_tally(tally) {}

    /// Binds a legacy row's values; false leaves the row out (having logged why).
    using CopyRow = std::function<bool(fb::Statement& insert, int row)>;

    bool Run(const Table& legacy, const QString& fileName, const QString& targetTable,
             const QString& insertSql, const CopyRow& copy) {
        m_target.ExecSql("delete from " + targetTable);
        auto insert = m_target.Prepare(insertSql);
        const int count = legacy.RowCount();
        // What the reader found when it opened the table (counts that disagree) comes first.
        const qsizetype knownProblems = legacy.Warnings().size();
        LogWarnings(legacy, fileName, 0, knownProblems);
        qint64 leftOut = legacy.RowsMissing();
        int converted = 0;
        for (int row = 0; row < count; ++row) {
            if (m_observer.AbortRequested()) {
                return false;
            }
            m_observer.ShowStatus(fileName + " " + QString::number(count - row - 1));
            if (!copy(*insert, row)) {
                ++leftOut;
                continue;
            }
            try {
                insert->Execute();
                ++converted;
            } catch (const DatabaseError& error) {
                // The engine undoes the refused statement alone; the transaction goes on.
                const QString reason = OneLine(error.what());
                if (!m_observer.SkipBadRow(fileName, row + 1, reason)) {
                    throw;
                }
                m_observer.Log(QString("%1: row %2 not converted: %3").arg(fileName).arg(row + 1).arg(reason));
                ++leftOut;
                ++m_tally.warnings;
            }
        }
        m_observer.ShowStatus(QString());
        // A value the reader could not decode was stored as null: say which.
        LogWarnings(legacy, fileName, knownProblems, legacy.Warnings().size());
        m_tally.warnings += legacy.WarningCount();
        m_tally.rowsNotConverted += leftOut;
        m_observer.Log(leftOut == 0 ? QString("Table \"%1\" %2 records converted ok").arg(fileName).arg(converted)
                                    : QString("Table \"%1\" %2 records converted, %3 not converted")
                                          .arg(fileName)
                                          .arg(converted)
                                          .arg(leftOut));
        return true;
    }

private:
    void LogWarnings(const Table& legacy, const QString& fileName, qsizetype from, qsizetype to) {
        for (const QString& problem : legacy.Warnings().mid(from, to - from)) {
            m_observer.Log(fileName + ": " + problem);
        }
    }

    Catalogue& m_target;
    ConversionObserver& m_observer;
    ConversionTally& m_tally;
};

bool ConvertArtists(const LegacyCatalogue& legacy, Catalogue& target, ConversionObserver& observer) {
    target.ExecSql("delete from artist");
    auto insert = target.Prepare("insert into artist (artistid, arname) values (?, ?)");
    const std::vector<LegacyArtist> artists = legacy.ArtistQuery();
    const int count = static_cast<int>(artists.size());
    QString previous;
    int created = 0;
    for (int row = 0; row < count; ++row) {
        if (observer.AbortRequested()) {
            return false;
        }
        observer.ShowStatus("Artists " + QString::number(count - row - 1));
        const LegacyArtist& artist = artists[static_cast<std::size_t>(row)];
        if (artist.lowerName != previous) {
            ++created;
            insert->SetInteger(0, created);
            insert->SetText(1, FitToColumn(artist.name, kArtistNameWidth));
            insert->Execute();
            previous = artist.lowerName;
        }
    }
    observer.ShowStatus(QString());
    observer.Log(QString::number(created) + " Artist records created ok");
    return true;
}

}  // namespace

bool ConvertTables(const LegacyCatalogue& legacy, Catalogue& target, ConversionObserver& observer,
                   const FolderMap& folders, ConversionTally& tally) {
    if (!ConvertArtists(legacy, target, observer)) {
        return false;
    }
    ArtistNumbers artistNumbers(target);
    TableStep step(target, observer, tally);

    const Table& songs = legacy.Songs();
    const int songNum = RequiredField(songs, "SongNum"), title = RequiredField(songs, "title"),
              track = RequiredField(songs, "Track"), genre = RequiredField(songs, "Genreid"),
              year = RequiredField(songs, "Year"), created = RequiredField(songs, "CreateTS"),
              searched = RequiredField(songs, "SearchTS"), edited = RequiredField(songs, "EditTS"),
              fileName = RequiredField(songs, "Fn"), rating = RequiredField(songs, "Rating"),
              comment = RequiredField(songs, "comment"), size = RequiredField(songs, "Size"),
              duration = RequiredField(songs, "Duration"), exists = RequiredField(songs, "Exi"),
              album = RequiredField(songs, "albumid"), artist = RequiredField(songs, "artist");
    QHash<qint64, int> firstOfNumber;  // the row that keeps each song number
    if (!step.Run(
            songs, LegacyCatalogue::kSongFile, "song",
            "insert into song (songnum, title, track, genreid, \"year\", createts, searchts, editts, fn, "
            "rating, \"comment\", \"size\", duration, exi, albumid, artistid) "
            "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            [&](fb::Statement& insert, int row) {
                auto value = [&](int field) { return songs.Value(row, field); };
                const QVariant number = value(songNum);
                if (number.isValid()) {
                    const auto first = firstOfNumber.constFind(number.toLongLong());
                    if (first != firstOfNumber.constEnd()) {
                        observer.Log(QString("%1: row %2 has the song number %3 of row %4 (\"%5\"); not converted")
                                         .arg(LegacyCatalogue::kSongFile)
                                         .arg(row + 1)
                                         .arg(number.toLongLong())
                                         .arg(*first + 1)
                                         .arg(value(title).toString()));
                        ++tally.warnings;
                        return false;
                    }
                    firstOfNumber.insert(number.toLongLong(), row);
                }
                BindInteger(insert, 0, number);
                BindText(insert, 1, value(title), kSongTitleWidth);
                BindInteger(insert, 2, value(track));
                BindInteger(insert, 3, value(genre));
                BindText(insert, 4, value(year), kSongYearWidth);
                BindTimestamp(insert, 5, value(created));
                BindTimestamp(insert, 6, value(searched));
                BindTimestamp(insert, 7, value(edited));
                const QVariant path = value(fileName);
                QString name = path.isValid() ? LegacyPath(path.toString()) : QString();
                if (IsAbsoluteStoredPath(name)) {
                    if (const auto moved = folders.Apply(name)) {
                        name = *moved;
                        ++tally.namesMoved;
                    }
                }
                BindText(insert, 8, path.isValid() ? QVariant(name) : path, kSongFileNameWidth);
                BindInteger(insert, 9, value(rating));
                BindText(insert, 10, value(comment), kSongCommentWidth);
                BindInteger(insert, 11, value(size));
                BindInteger(insert, 12, value(duration));
                BindFlag(insert, 13, value(exists));
                BindInteger(insert, 14, value(album));
                artistNumbers.Bind(insert, 15, value(artist));
                return true;
            })) {
        return false;
    }
    if (!folders.IsEmpty()) {
        observer.Log(QString("%1 full file names moved to their new folders").arg(tally.namesMoved));
    }

    const Table& genres = legacy.Genres();
    const int genreId = RequiredField(genres, "GenreId"), genreName = RequiredField(genres, "Name"),
              dormant = RequiredField(genres, "Dormant"), genreExisting = RequiredField(genres, "NumExi"),
              genreRepaired = RequiredField(genres, "RprTS");
    if (!step.Run(genres, LegacyCatalogue::kGenreFile, "genre",
                  "insert into genre (genreid, gname, dormant, numexi, rprts) values (?, ?, ?, ?, ?)",
                  [&](fb::Statement& insert, int row) {
                      BindInteger(insert, 0, genres.Value(row, genreId));
                      BindText(insert, 1, genres.Value(row, genreName), kGenreNameWidth);
                      BindFlag(insert, 2, genres.Value(row, dormant));
                      BindInteger(insert, 3, genres.Value(row, genreExisting));
                      BindTimestamp(insert, 4, genres.Value(row, genreRepaired));
                      return true;
                  })) {
        return false;
    }

    const Table& playlists = legacy.Playlists();
    const int playlistId = RequiredField(playlists, "Id"), playlistName = RequiredField(playlists, "Name"),
              lastSeq = RequiredField(playlists, "LastSeq");
    if (!step.Run(playlists, LegacyCatalogue::kPlaylistFile, "plist",
                  "insert into plist (plid, plname, lastseq) values (?, ?, ?)",
                  [&](fb::Statement& insert, int row) {
                      BindInteger(insert, 0, playlists.Value(row, playlistId));
                      BindText(insert, 1, playlists.Value(row, playlistName), kPlaylistNameWidth);
                      BindInteger(insert, 2, playlists.Value(row, lastSeq));
                      return true;
                  })) {
        return false;
    }

    const Table& entries = legacy.Entries();
    const int entryList = RequiredField(entries, "Plid"), entrySeq = RequiredField(entries, "Seq"),
              entrySong = RequiredField(entries, "Songnum");
    if (!step.Run(entries, LegacyCatalogue::kEntryFile, "songinpl",
                  "insert into songinpl (plid, seq, songnum) values (?, ?, ?)",
                  [&](fb::Statement& insert, int row) {
                      BindInteger(insert, 0, entries.Value(row, entryList));
                      BindInteger(insert, 1, entries.Value(row, entrySeq));
                      BindInteger(insert, 2, entries.Value(row, entrySong));
                      return true;
                  })) {
        return false;
    }

    const Table& albums = legacy.Albums();
    const int albumId = RequiredField(albums, "Id"), albumName = RequiredField(albums, "Name"),
              albumYear = RequiredField(albums, "Year"), albumExisting = RequiredField(albums, "NumExi"),
              albumCreated = RequiredField(albums, "Createts"),
              albumRepaired = RequiredField(albums, "Rprts"), albumArtist = RequiredField(albums, "Artist");
    return step.Run(albums, LegacyCatalogue::kAlbumFile, "album",
                    "insert into album (albumid, alname, \"year\", numexi, createts, rprts, artistid) "
                    "values (?, ?, ?, ?, ?, ?, ?)",
                    [&](fb::Statement& insert, int row) {
                        BindInteger(insert, 0, albums.Value(row, albumId));
                        BindText(insert, 1, albums.Value(row, albumName), kAlbumNameWidth);
                        BindText(insert, 2, albums.Value(row, albumYear), kAlbumYearWidth);
                        BindInteger(insert, 3, albums.Value(row, albumExisting));
                        BindTimestamp(insert, 4, albums.Value(row, albumCreated));
                        BindTimestamp(insert, 5, albums.Value(row, albumRepaired));
                        artistNumbers.Bind(insert, 6, albums.Value(row, albumArtist));
                        return true;
                    });
}

}  // namespace sw
