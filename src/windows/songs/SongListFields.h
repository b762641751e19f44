#pragma once

#include "SongListController.h"

namespace sw {

/// Where the grid's fields sit in the list's row set.
struct SongListController::Fields {
    explicit Fields(const RowSet& rows)
        : seq(rows.ColumnIndex("SEQ")),
          songNum(rows.ColumnIndex("SONGNUM")),
          album(rows.ColumnIndex("ALNAME")),
          track(rows.ColumnIndex("TRACK")),
          artist(rows.ColumnIndex("ARNAME")),
          title(rows.ColumnIndex("TITLE")),
          year(rows.ColumnIndex("year")),
          duration(rows.ColumnIndex("DURATION")),
          exi(rows.ColumnIndex("EXI")),
          fn(rows.ColumnIndex("FN")),
          rating(rows.ColumnIndex("RATING")),
          genre(rows.ColumnIndex("GNAME")),
          comment(rows.ColumnIndex("comment")),
          ts(rows.ColumnIndex("TS")) {}

    int seq, songNum, album, track, artist, title, year, duration, exi, fn, rating, genre, comment, ts;
};

}  // namespace sw
