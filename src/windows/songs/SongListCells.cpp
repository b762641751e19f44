#include "SongListCells.h"

#include "core/Catalogue.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

const std::vector<FilterMenuItem> kFilterMenu{
    {SongFilterItem::DefaultFilter, "Default filter", 1},
    {SongFilterItem::VeryBest, "4 : Only the very best", 4},
    {SongFilterItem::Best, "3 : Only the best", 3},
    {SongFilterItem::Good, "2 : Only the good ones", 2},
    {SongFilterItem::GoodAndUnrated, "1 : Only the good ones + unrated (default)", 1},
    {SongFilterItem::AllButBad, "0 : All but the bad ones", 0},
    {SongFilterItem::OnlyBad, "-1 : Only the bad ones", -1},
    {SongFilterItem::NoFilter, "No filter", 99},
};

QString SongColumnCaption(SongColumn column) {
    switch (column) {
        case SongColumn::WhenPlayed:
            return "When played";
        case SongColumn::Seq:
            return "Seq";
        case SongColumn::Album:
            return "Album";
        case SongColumn::Track:
            return "Track";
        case SongColumn::Artist:
            return "Artist";
        case SongColumn::Title:
            return "Song title";
        case SongColumn::Year:
            return "Year";
        case SongColumn::Duration:
            return "Duration";
        case SongColumn::Wng:
            return "wng";
        case SongColumn::Rating:
            return "Rating";
        case SongColumn::Genre:
            return "Genre";
        case SongColumn::Comment:
            return "Comment";
    }
    return {};
}

int SongColumnWidthChars(SongColumn column) {
    switch (column) {
        case SongColumn::WhenPlayed:
            return 16;
        case SongColumn::Album:
        case SongColumn::Artist:
        case SongColumn::Title:
        case SongColumn::Comment:
            return 80;
        case SongColumn::Year:
            return 4;
        case SongColumn::Duration:
            return 6;
        case SongColumn::Wng:
            return 2;
        case SongColumn::Rating:
            return 5;
        case SongColumn::Genre:
            return 40;
        case SongColumn::Seq:
        case SongColumn::Track:
            return 0;
    }
    return 0;
}

std::vector<SongColumn> VisibleSongColumns(SongListMode mode, bool hideMissing) {
    std::vector<SongColumn> columns;
    if (mode == SongListMode::PlayHistory) {
        columns.push_back(SongColumn::WhenPlayed);
    }
    if (mode == SongListMode::Playlist) {
        columns.push_back(SongColumn::Seq);
    }
    if (mode != SongListMode::Singles) {
        columns.push_back(SongColumn::Album);
        columns.push_back(SongColumn::Track);
    }
    columns.insert(columns.end(),
                   {SongColumn::Artist, SongColumn::Title, SongColumn::Year, SongColumn::Duration});
    if (!hideMissing) {
        columns.push_back(SongColumn::Wng);
    }
    columns.insert(columns.end(), {SongColumn::Rating, SongColumn::Genre, SongColumn::Comment});
    return columns;
}

QString WhenPlayedText(TDateTime stamp) {
    return stamp == 0 ? QString() : LeftChars(FormatDateTime(2, stamp), 16);
}

QString RatingCellText(const QVariant& rating) {
    if (!rating.isValid() || rating.toInt() == 0) {
        return {};
    }
    return SignedText(rating.toInt());
}

QString DurationCellText(const QVariant& seconds) {
    return seconds.isValid() ? DurationText(seconds.toInt()) : QString();
}

QString CountLabelText(SongListMode mode, int id, int count) {
    QString prefix;
    switch (mode) {
        case SongListMode::Album:
            prefix = " Album #";
            break;
        case SongListMode::Artist:
            prefix = " Artist #";
            break;
        case SongListMode::Genre:
            prefix = " Genre #";
            break;
        default:
            break;
    }
    if (!prefix.isEmpty()) {
        prefix += QString::number(id) + "  ";
    }
    return prefix + " " + QString::number(count) + " song" + (count == 1 ? "" : "s") + " listed";
}

QString FilterLabelText(SongListMode mode, int ratingFilter) {
    const QString text = mode == SongListMode::PlayHistory ? "Play-history" : FilterDescription(ratingFilter);
    return "  " + text + "  ";
}

bool FilterLabelHighlighted(int ratingFilter) {
    return ratingFilter != 99 && ratingFilter != 1;
}

}  // namespace sw
