#pragma once

#include <QString>

namespace sw {

class Catalogue;
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
};

/// Copies the previous edition's catalogue into the target catalogue: artists, songs, genres,
/// playlists, playlist entries and albums, in that order, each target table emptied first. Nothing
/// is committed: the caller commits when this returns true and rolls back when it returns false (an
/// abort) or throws (a refused row, a damaged legacy value), so that the target keeps either all of
/// its old rows or all of the new ones.
bool ConvertTables(const LegacyCatalogue& legacy, Catalogue& target, ConversionObserver& observer);

}  // namespace sw
