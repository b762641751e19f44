#include "AlbumListSql.h"

#include <QStringList>
#include <algorithm>
#include <cstdlib>

namespace sw {

QString AlbumSortCaption(AlbumSort sort) {
    switch (sort) {
        case AlbumSort::SequenceNumber:
            return "Sequence number";
        case AlbumSort::AlbumName:
            return "Album name";
        case AlbumSort::Artist:
            return "Artist";
        case AlbumSort::Year:
            return "Year";
        case AlbumSort::Rating:
            return "Rating";
        case AlbumSort::AlbumOrGroup:
            return "Album or Group";
    }
    return {};
}

QString AlbumRatingFilterCaption(AlbumRatingFilter filter) {
    switch (filter) {
        case AlbumRatingFilter::Best:
            return "Only the best ( 3+ )";
        case AlbumRatingFilter::Good:
            return "Only the good ones ( 2+ )";
        case AlbumRatingFilter::GoodOrUnrated:
            return "Only the good ones + unrated ( 2+ , 0 )";
        case AlbumRatingFilter::AllButBad:
            return "All but the bad ones ( 0+ )";
        case AlbumRatingFilter::All:
            return "All";
    }
    return {};
}

QString AlbumColumnCaption(AlbumColumn column) {
    switch (column) {
        case AlbumColumn::Artist:
            return "Artist ";
        case AlbumColumn::Name:
            return "Name";
        case AlbumColumn::Wng:
            return "wng";
        case AlbumColumn::Year:
            return "Year ";
        case AlbumColumn::Rating:
            return "Rating";
        case AlbumColumn::Group:
            return "Group?";
        case AlbumColumn::Seq:
            return "Seq";
    }
    return {};
}

namespace {

QString RatingFilterLine(AlbumRatingFilter filter) {
    switch (filter) {
        case AlbumRatingFilter::Best:
            return "and ratingsumm >= 30";
        case AlbumRatingFilter::Good:
            return "and ratingsumm >= 20";
        case AlbumRatingFilter::GoodOrUnrated:
            return "and ( ratingsumm >= 20 or ratingsumm = 0 )";
        case AlbumRatingFilter::AllButBad:
            return "and ratingsumm >= 0";
        case AlbumRatingFilter::All:
            return {};
    }
    return {};
}

QString OrderLine(AlbumSort sort) {
    switch (sort) {
        case AlbumSort::SequenceNumber:
            return "order by seq";
        case AlbumSort::AlbumName:
            return "order by lname, lartist";
        case AlbumSort::Artist:
            return "order by lartist, a.\"year\", lname";
        case AlbumSort::Year:
            return "order by a.\"year\", lartist,lname";
        case AlbumSort::Rating:
            return "order by a.ratingsumm descending, lartist,lname";
        case AlbumSort::AlbumOrGroup:
            return "order by a.alorgrp descending, lname";
    }
    return {};
}

bool InsideGroup(const AlbumListOptions& options) {
    return options.view == AlbumView::Collapsed && options.groupId > 0;
}

}  // namespace

QString AlbumListQueryText(const AlbumListOptions& options) {
    QStringList lines{
        "select a.albumid, a.artistid, b.arname, lower(b.arname) as lartist, a.alname, lower(a.alname) as "
        "lname, a.\"year\", a.numexi, a.alorgrp, a.grpid, a.ratingsumm, a.seq",
        "from album a left join artist b on b.artistid = a.artistid"};
    if (options.view == AlbumView::Expanded) {
        lines << "where ( a.alorgrp = 'A' )";
    } else {
        lines << "where a.grpid = :grpid";
        if (options.hideUngrouped) {
            lines << "and ( a.alorgrp = 'G' or a.grpid > 0 )";
        }
    }
    if (options.hideMissing) {
        // A group has no files of its own: hiding it would hide every album inside it as well.
        lines << (options.view == AlbumView::Expanded ? "and numexi > 0"
                                                      : "and ( numexi > 0 or a.alorgrp = 'G' )");
    }
    const QString rating = RatingFilterLine(options.ratingFilter);
    if (!rating.isEmpty()) {
        lines << rating;
    }
    lines << OrderLine(options.sort);
    return lines.join('\n');
}

std::vector<AlbumColumn> VisibleAlbumColumns(const AlbumListOptions& options) {
    std::vector<AlbumColumn> columns;
    for (const AlbumColumn column : kAlbumColumns) {
        if (column == AlbumColumn::Group && options.view != AlbumView::Collapsed) {
            continue;
        }
        if (column == AlbumColumn::Seq && !InsideGroup(options)) {
            continue;
        }
        columns.push_back(column);
    }
    const auto sorted = std::find(columns.begin(), columns.end(), SortColumnOf(options.sort));
    if (sorted != columns.end()) {
        std::rotate(columns.begin(), sorted, sorted + 1);
    }
    return columns;
}

AlbumColumn SortColumnOf(AlbumSort sort) {
    switch (sort) {
        case AlbumSort::SequenceNumber:
            return AlbumColumn::Seq;
        case AlbumSort::AlbumName:
            return AlbumColumn::Name;
        case AlbumSort::Artist:
            return AlbumColumn::Artist;
        case AlbumSort::Year:
            return AlbumColumn::Year;
        case AlbumSort::Rating:
            return AlbumColumn::Rating;
        case AlbumSort::AlbumOrGroup:
            return AlbumColumn::Group;
    }
    return AlbumColumn::Name;
}

bool SortOfColumn(AlbumColumn column, AlbumSort& sort) {
    for (const AlbumSort each : kAlbumSorts) {
        if (SortColumnOf(each) == column) {
            sort = each;
            return true;
        }
    }
    return false;
}

QString AlbumRatingText(const QVariant& tenths) {
    const qint64 value = tenths.isValid() ? tenths.toLongLong() : 0;
    const qint64 magnitude = std::llabs(value);
    // Both parts are taken from the magnitude so that -15 reads -1.5, not -1.-5.
    return QString(value < 0 ? "-" : "") + QString::number(magnitude / 10) + "." +
           QString::number(magnitude % 10);
}

}  // namespace sw
