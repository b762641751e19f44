#pragma once

#include <QString>
#include <QVariant>
#include <vector>

#include "SongListRequest.h"
#include "foundation/Dates.h"

namespace sw {

/// The songs window's grid columns, in their order.
enum class SongColumn {
    WhenPlayed,
    Seq,
    Album,
    Track,
    Artist,
    Title,
    Year,
    Duration,
    Wng,
    Rating,
    Genre,
    Comment
};

QString SongColumnCaption(SongColumn column);
/// The designed width in characters; 0 where the caption sets it.
int SongColumnWidthChars(SongColumn column);
/// The columns a mode shows: "When played" only for the play history, "Seq" only for a playlist,
/// no album or track for the singles, no warnings while songs whose file is missing are hidden.
std::vector<SongColumn> VisibleSongColumns(SongListMode mode, bool hideMissing);

/// "When played": the history time stamp as YYYY-MM-DD hh:mm.
QString WhenPlayedText(TDateTime stamp);
/// "Rating": +2, -1; empty for 0 and for a row without a song.
QString RatingCellText(const QVariant& rating);
/// "Duration": mm:ss; empty for a row without a song.
QString DurationCellText(const QVariant& seconds);

/// The count label: " 3 songs listed", prefixed in album, artist and genre mode by " Album #12  ".
QString CountLabelText(SongListMode mode, int id, int count);
/// The filter label: the filter in words, or "Play-history" while the history is shown, between
/// two spaces on each side.
QString FilterLabelText(SongListMode mode, int ratingFilter);
/// The label stands out (pale yellow) unless the filter is the default or none.
bool FilterLabelHighlighted(int ratingFilter);

/// Said when a command on the selection finds none.
inline constexpr char kNoSongsSelected[] = "No songs selected (select/unselect using CTRL+Click)";

/// The filter menu's items, in their order.
enum class SongFilterItem {
    DefaultFilter,
    VeryBest,
    Best,
    Good,
    GoodAndUnrated,
    AllButBad,
    OnlyBad,
    NoFilter
};

/// The filter menu's items in order, with the value each sets.
struct FilterMenuItem {
    SongFilterItem id;
    const char* caption;
    int value;
};
extern const std::vector<FilterMenuItem> kFilterMenu;

}  // namespace sw
