#pragma once

#include <QString>
#include <QtGlobal>

namespace sw {

class Catalogue;
class FolderMap;
class LegacyCatalogue;

/// What a conversion reports while it runs, and how it learns that it is to stop.
class ConversionObserver {
public:
    virtual ~ConversionObserver() = default;
    /// The status strip: the table file and the rows still to go; empty when a step ends.
    virtual void ShowStatus(const QString& text) = 0;
    virtual void Log(const QString& line) = 0;
    /// Asked before each row; true stops the conversion there.
    virtual bool AbortRequested() = 0;
    /// A legacy row the target refused, `reason` being the database's text: true leaves the row
    /// out and goes on, false stops the conversion (the error is thrown on). `row` counts from 1.
    virtual bool SkipBadRow(const QString& fileName, int row, const QString& reason) = 0;
};

/// What a conversion met besides the rows it copied.
struct ConversionTally {
    /// Problems logged: table warnings, duplicate song numbers, rows left out.
    int warnings = 0;
    /// Legacy rows the target did not get: rows the block chain lost, duplicates, bad rows.
    qint64 rowsNotConverted = 0;
    /// Full file names the folder map moved.
    int namesMoved = 0;
};

/// Copies the previous edition's catalogue into the target catalogue: artists, songs, genres,
/// playlists, playlist entries and albums, in that order, each target table emptied first. Every
/// warning about a table is logged and counted in `tally`; of songs sharing a number the first is
/// kept; full file names the `folders` map covers are moved to their new folders. Nothing
/// is committed: the caller commits when this returns true and rolls back when it returns false (an
/// abort) or throws (a refused row, a damaged legacy value), so that the target keeps either all of
/// its old rows or all of the new ones.
bool ConvertTables(const LegacyCatalogue& legacy, Catalogue& target, ConversionObserver& observer,
                   const FolderMap& folders, ConversionTally& tally);

}  // namespace sw
