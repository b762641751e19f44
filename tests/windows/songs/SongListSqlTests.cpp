#include <gtest/gtest.h>

#include "../../tags/TagTestSupport.h"
#include "windows/songs/SongListCells.h"
#include "windows/songs/SongListSql.h"

namespace sw {
namespace {

using test::ByName;

const QString kA =
    "SELECT s.track as seq, s.* , al.alname, ar.arname, g.gname, s.createts as ts FROM song S\n"
    "LEFT JOIN genre G ON g.genreid = s.genreid\n"
    "LEFT JOIN album al ON al.albumid = s.albumid\n"
    "LEFT JOIN artist ar ON ar.artistid = s.artistid\n";
const QString kB =
    "SELECT sp.seq, s.* , al.alname, ar.arname, g.gname, s.createts as ts FROM songinpl sp\n"
    "LEFT JOIN song s ON s.songnum = sp.songnum\n"
    "LEFT JOIN genre G ON g.genreid = s.genreid\n"
    "LEFT JOIN album al ON al.albumid = s.albumid\n"
    "LEFT JOIN artist ar ON ar.artistid = s.artistid\n";
const QString kC =
    "SELECT h.songnum as seq, s.* , al.alname, ar.arname, g.gname, h.ts, h.pldate FROM history h\n"
    "JOIN song s ON s.songnum = h.songnum\n"
    "LEFT JOIN genre G ON g.genreid = s.genreid\n"
    "LEFT JOIN album al ON al.albumid = s.albumid\n"
    "LEFT JOIN artist ar ON ar.artistid = s.artistid\n";

struct QueryCase {
    std::string name;
    SongListQueryParts parts;
    QString text;
};

SongListQueryParts Parts(SongListMode mode, int filter = 99, bool hide = false) {
    SongListQueryParts parts;
    parts.mode = mode;
    parts.ratingFilter = filter;
    parts.hideMissing = hide;
    return parts;
}

class ListQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(ListQuery, IsTheModesQueryWithItsConditionsAndOrder) {
    EXPECT_EQ(SongListQueryText(GetParam().parts), GetParam().text);
}

SongListQueryParts NoArtist(int filter) {
    SongListQueryParts parts = Parts(SongListMode::Artist, filter);
    parts.noArtist = true;
    return parts;
}

SongListQueryParts HistoryDay(int filter, bool hide) {
    SongListQueryParts parts = Parts(SongListMode::PlayHistory, filter, hide);
    parts.historyDay = 20240510;
    return parts;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ListQuery,
    ::testing::Values(
        QueryCase{"Album", Parts(SongListMode::Album),
                  kA + "WHERE s.albumid = :id\nORDER BY s.track, s.title"},
        QueryCase{"ArtistFilteredAndHidingMissing", Parts(SongListMode::Artist, 1, true),
                  kA + "WHERE s.artistid = :id\nAND (s.exi = 1)\nAND (s.rating >= 2 or s.rating = 0)\n"
                       "ORDER BY s.\"year\", al.alname, s.track, s.title"},
        QueryCase{"NoArtist", NoArtist(99),
                  kA + "WHERE (s.artistid is null) or (s.artistid = 0)\n"
                       "ORDER BY s.\"year\", al.alname, s.track, s.title"},
        // The added conditions hold for both alternatives.
        QueryCase{"NoArtistFiltered", NoArtist(3),
                  kA + "WHERE ((s.artistid is null) or (s.artistid = 0))\nAND (s.rating >= 3)\n"
                       "ORDER BY s.\"year\", al.alname, s.track, s.title"},
        QueryCase{"Genre", Parts(SongListMode::Genre, 4),
                  kA + "WHERE s.genreid = :id\nAND (s.rating = 4)\nORDER BY s.songnum"},
        QueryCase{
            "Stamp", Parts(SongListMode::Stamp),
            kA + "WHERE (s.searchts = :ts)\nORDER BY al.alname, s.track, ar.arname, s.title, s.songnum"},
        QueryCase{"Singles", Parts(SongListMode::Singles),
                  kA + "WHERE (s.albumid is null) or (s.albumid <= 0)\n"
                       "ORDER BY s.\"year\", ar.arname, s.songnum"},
        QueryCase{
            "SinglesFiltered", Parts(SongListMode::Singles, 0, true),
            kA + "WHERE ((s.albumid is null) or (s.albumid <= 0))\nAND (s.exi = 1)\nAND (s.rating >= 0)\n"
                 "ORDER BY s.\"year\", ar.arname, s.songnum"},
        QueryCase{"Playlist", Parts(SongListMode::Playlist, 2),
                  kB + "WHERE (sp.plid = :id)\nAND (s.rating >= 2)\nORDER BY sp.seq"},
        QueryCase{"Recent", Parts(SongListMode::Recent, -1),
                  kA + "WHERE (s.createts >= :recentdate)\nAND (s.rating < 0)\n"
                       "ORDER BY al.alname, s.track, ar.arname, s.title, s.songnum"},
        // The play history is never filtered.
        QueryCase{"History", HistoryDay(1, true), kC + "WHERE (h.pldate = 20240510)\nORDER BY h.ts"}),
    ByName());

TEST(RatingFilterCondition, GivesEachFilterItsConditionAndNoneForNoFilter) {
    const std::vector<std::pair<int, QString>> cases{
        {0, "AND (s.rating >= 0)"},
        {1, "AND (s.rating >= 2 or s.rating = 0)"},
        {2, "AND (s.rating >= 2)"},
        {3, "AND (s.rating >= 3)"},
        {4, "AND (s.rating = 4)"},
        {-1, "AND (s.rating < 0)"},
        {99, ""},
        {7, ""},
    };
    for (const auto& [filter, condition] : cases) {
        EXPECT_EQ(RatingFilterCondition(filter), condition) << filter;
    }
}

const QString kSearchHead =
    "SELECT s.songnum FROM song s\n"
    "LEFT JOIN genre G ON g.genreid = s.genreid\n"
    "LEFT JOIN album al ON al.albumid = s.albumid\n"
    "LEFT JOIN artist ar ON ar.artistid = s.artistid\n";

TEST(SearchQuery, AnywhereJoinsTheFivePlacesAlbumFirstCommentLast) {
    EXPECT_EQ(SearchQueryText(SearchPlace::Anywhere, "abc", false),
              kSearchHead +
                  "where (lower(al.alname) containing 'abc')or (lower(ar.arname) containing 'abc')"
                  "or (lower(s.title) containing 'abc')or (lower(s.fn) containing 'abc')"
                  "or (lower(s.\"comment\") containing 'abc')");
}

TEST(SearchQuery, OnePlaceOrAnExactTitleLowerCasesTheDoubledText) {
    EXPECT_EQ(SearchQueryText(SearchPlace::FileName, "Rock/O''Brien", false),
              kSearchHead + "where (lower(s.fn) containing 'rock/o''brien')");
    EXPECT_EQ(SearchQueryText(SearchPlace::Title, "It''s Me", true),
              kSearchHead + "where (lower(s.title) = 'it''s me')");
    EXPECT_EQ(SearchQueryText(SearchPlace::ArtistName, "x", false),
              kSearchHead + "where (lower(ar.arname) containing 'x')");
}

TEST(SongListCells, CountLabelNamesTheAlbumArtistOrGenre) {
    EXPECT_EQ(CountLabelText(SongListMode::Album, 12, 1), " Album #12   1 song listed");
    EXPECT_EQ(CountLabelText(SongListMode::Artist, 3, 2), " Artist #3   2 songs listed");
    EXPECT_EQ(CountLabelText(SongListMode::Genre, 0, 0), " Genre #0   0 songs listed");
    EXPECT_EQ(CountLabelText(SongListMode::Playlist, 5, 100000), " 100000 songs listed");
}

TEST(SongListCells, FilterLabelAndItsColour) {
    EXPECT_EQ(FilterLabelText(SongListMode::Album, 1), "  Default filtering  ");
    EXPECT_EQ(FilterLabelText(SongListMode::Album, 99), "  No filter  ");
    EXPECT_EQ(FilterLabelText(SongListMode::Stamp, -1), "  Filter = -1  ");
    EXPECT_EQ(FilterLabelText(SongListMode::PlayHistory, 3), "  Play-history  ");
    EXPECT_FALSE(FilterLabelHighlighted(1));
    EXPECT_FALSE(FilterLabelHighlighted(99));
    EXPECT_TRUE(FilterLabelHighlighted(0));
    EXPECT_TRUE(FilterLabelHighlighted(4));
}

TEST(SongListCells, ComputedCells) {
    EXPECT_EQ(RatingCellText(2), "+2");
    EXPECT_EQ(RatingCellText(-1), "-1");
    EXPECT_EQ(RatingCellText(0), "");
    EXPECT_EQ(RatingCellText(QVariant()), "");
    EXPECT_EQ(DurationCellText(187), "03:07");
    EXPECT_EQ(DurationCellText(QVariant()), "");
    EXPECT_EQ(WhenPlayedText(StampToDateTime({{2009, 3, 1}, {9, 5, 3}})), "2009-03-01 09:05");
}

TEST(SongListCells, ColumnsFollowTheMode) {
    const auto captions = [](SongListMode mode, bool hide) {
        QStringList list;
        for (const SongColumn column : VisibleSongColumns(mode, hide)) {
            list << SongColumnCaption(column);
        }
        return list.join(',');
    };
    EXPECT_EQ(captions(SongListMode::Album, false),
              "Album,Track,Artist,Song title,Year,Duration,wng,Rating,Genre,Comment");
    EXPECT_EQ(captions(SongListMode::Singles, false),
              "Artist,Song title,Year,Duration,wng,Rating,Genre,Comment");
    EXPECT_EQ(captions(SongListMode::Playlist, true),
              "Seq,Album,Track,Artist,Song title,Year,Duration,Rating,Genre,Comment");
    EXPECT_EQ(captions(SongListMode::PlayHistory, false),
              "When played,Album,Track,Artist,Song title,Year,Duration,wng,Rating,Genre,Comment");
}

}  // namespace
}  // namespace sw
