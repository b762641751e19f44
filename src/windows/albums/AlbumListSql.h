#pragma once

#include <QString>
#include <QVariant>
#include <array>
#include <vector>

namespace sw {

/// How the albums window lists: every album flat, or the members of one group at a time.
enum class AlbumView { Expanded, Collapsed };

/// The "Sequence" menu's orders, in menu order.
enum class AlbumSort { SequenceNumber, AlbumName, Artist, Year, Rating, AlbumOrGroup };
inline constexpr std::array<AlbumSort, 6> kAlbumSorts{AlbumSort::SequenceNumber, AlbumSort::AlbumName,
                                                      AlbumSort::Artist,         AlbumSort::Year,
                                                      AlbumSort::Rating,         AlbumSort::AlbumOrGroup};
QString AlbumSortCaption(AlbumSort sort);

/// The "Filter" menu's rating filters, in menu order.
enum class AlbumRatingFilter { Best, Good, GoodOrUnrated, AllButBad, All };
inline constexpr std::array<AlbumRatingFilter, 5> kAlbumRatingFilters{
    AlbumRatingFilter::Best, AlbumRatingFilter::Good, AlbumRatingFilter::GoodOrUnrated,
    AlbumRatingFilter::AllButBad, AlbumRatingFilter::All};
QString AlbumRatingFilterCaption(AlbumRatingFilter filter);

/// The grid's columns in their order before the sort column is moved to the front.
enum class AlbumColumn { Artist, Name, Wng, Year, Rating, Group, Seq };
inline constexpr std::array<AlbumColumn, 7> kAlbumColumns{
    AlbumColumn::Artist, AlbumColumn::Name,  AlbumColumn::Wng, AlbumColumn::Year,
    AlbumColumn::Rating, AlbumColumn::Group, AlbumColumn::Seq};
/// The heading without the sort mark.
QString AlbumColumnCaption(AlbumColumn column);

/// What the albums list is made of.
struct AlbumListOptions {
    AlbumView view = AlbumView::Expanded;
    /// The group whose members a collapsed list shows; 0 for the top level.
    int groupId = 0;
    bool hideUngrouped = false;
    bool hideMissing = false;
    AlbumRatingFilter ratingFilter = AlbumRatingFilter::All;
    AlbumSort sort = AlbumSort::Artist;
};

/// The list's query, one clause a line; a collapsed list takes the group id as parameter `grpid`.
QString AlbumListQueryText(const AlbumListOptions& options);

/// The columns a list shows, the sort column first: "Group?" only collapsed, "Seq" only inside
/// a group.
std::vector<AlbumColumn> VisibleAlbumColumns(const AlbumListOptions& options);
/// The column whose heading a sort marks.
AlbumColumn SortColumnOf(AlbumSort sort);
/// The sort a click on a column heading chooses; false for a column that sorts nothing.
bool SortOfColumn(AlbumColumn column, AlbumSort& sort);

/// A rating in tenths as "2.5"; a negative one as "-1.5". Null reads as 0.
QString AlbumRatingText(const QVariant& tenths);

}  // namespace sw
