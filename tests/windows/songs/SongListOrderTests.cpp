#include <gtest/gtest.h>

#include <QLocale>
#include <algorithm>
#include <limits>
#include <optional>

#include "SongListFixture.h"
#include "core/Catalogue.h"
#include "windows/songs/SongListOrder.h"

namespace sw {
namespace {

using test::ListedSong;

// Lists read in two steps (keys ordered in memory, rows on demand) must hold the rows the query
// gives, in its order: awkward names are where a copy of the catalogue's ordering would go wrong.
class SongListByKeys : public test::SongListFixture {
protected:
    SongListByKeys() {
        m_list.SetDisplay(&m_display);
        const QStringList names{"beta",        "Beta",  "béta",   "Zed",    "zed ",
                                "zed\t",       "Ärger", "2 Tone", "10 cc",  "😀 smile",
                                "\uFFFD mark", "",      "O'Neil", "éclair", "E"};
        for (int genre = 0; genre < 3; ++genre) {
            AddGenre(100 + genre, "Genre " + QString::number(genre));
        }
        for (int i = 0; i < names.size(); ++i) {
            const QString name = names[i];
            std::vector<ListedSong> songs;
            for (int track : {2, 1, 1, 0}) {
                ListedSong song;
                song.title = names[(i + track) % names.size()];
                song.track = track;
                song.artist = names[(i * 7 + track) % names.size()];
                song.year = track == 0 ? QString() : QString::number(1990 + (i + track) % 3);
                song.genreId = 100 + i % 3;
                song.rating = (i + track) % 5 - 1;
                songs.push_back(song);
            }
            m_albums.push_back(
                AddAlbum(name.isEmpty() ? "Blank" : name, songs, names[(i * 3) % names.size()]));
            ListedSong single;
            single.title = name;
            single.artist = names[(i * 5) % names.size()];
            single.year = i % 2 ? "1999" : "199";
            single.genreId = 100 + i % 3;
            AddSong(single);
        }
    }

    std::vector<int> Listed() const {
        std::vector<int> songs;
        for (int row = 0; row < m_list.RowCount(); ++row) {
            songs.push_back(m_list.SongNumAt(row));
        }
        return songs;
    }

    /// The list's rows read both ways, with every cell of each row.
    void ExpectSameBothWays(const std::function<void()>& request, const std::string& what) {
        m_list.SetReadByKeys(true);
        request();
        const std::vector<int> byKeys = Listed();
        std::vector<QStringList> cells;
        for (int row = 0; row < m_list.RowCount(); ++row) {
            cells.push_back(m_list.Model().RowTexts(row));
        }
        m_list.SetReadByKeys(false);
        request();
        EXPECT_EQ(byKeys, Listed()) << what;
        for (int row = 0; row < std::min<int>(m_list.RowCount(), static_cast<int>(cells.size())); ++row) {
            EXPECT_EQ(cells[static_cast<std::size_t>(row)], m_list.Model().RowTexts(row))
                << what << " row " << row;
        }
        m_list.SetReadByKeys(true);
    }

    std::vector<int> m_albums;
};

TEST_F(SongListByKeys, EveryModeListsTheRowsOfItsQueryInItsOrder) {
    m_settings.DAYSRECENT = 10;
    for (const int filter : {99, 1, -1}) {
        const std::string under = " under filter " + std::to_string(filter);
        m_settings.FILTER = filter;
        ExpectSameBothWays([&] { m_list.ShowAlbumSongs(m_albums[3]); }, "album" + under);
        ExpectSameBothWays([&] { m_list.ShowArtistSongs(m_library.artists.FindOrCreateArtist("Beta")); },
                           "artist" + under);
        ExpectSameBothWays([&] { m_list.ShowArtistSongs(0); }, "no artist" + under);
        ExpectSameBothWays([&] { m_list.ShowGenreSongs(101); }, "genre" + under);
        ExpectSameBothWays([&] { m_list.ShowSingles(); }, "singles" + under);
        ExpectSameBothWays([&] { m_list.ShowRecentSongs(); }, "recent" + under);
    }
    m_catalogue.ExecSqlCommit("update song set searchts = '2024-05-10 11:00:00'");
    m_settings.LastLoadedTS = m_clock.LocalNow() - 1.0 / 24;
    ExpectSameBothWays([&] { m_list.ShowLastLoaded(); }, "last load run");
    EXPECT_GT(m_list.RowCount(), 70);
}

TEST_F(SongListByKeys, SearchesListTheSongsTheirConditionFinds) {
    for (const SearchPlace place : {SearchPlace::Anywhere, SearchPlace::AlbumName, SearchPlace::ArtistName,
                                    SearchPlace::Title, SearchPlace::FileName, SearchPlace::Comment}) {
        for (const QString text : {"e", "BETA", "zed", "missing/1", "o'neil", "nothing like it"}) {
            m_list.Search().place = place;
            std::vector<int> found;
            ExpectSameBothWays(
                [&] { m_list.SearchSongs(text); },
                "search for " + text.toStdString() + " in place " + std::to_string(static_cast<int>(place)));
            found = m_list.FoundSongs();
            m_list.SetReadByKeys(true);
            m_list.SearchSongs(text);
            EXPECT_EQ(m_list.FoundSongs(), found);
        }
    }
    // Hidden missing songs are left out of the list, not out of the songs found.
    m_catalogue.ExecSqlCommit("update song set exi = 0 where track = 1");
    m_list.Search().place = SearchPlace::Anywhere;
    m_list.ToggleHideMissing();
    ExpectSameBothWays([&] { m_list.SearchSongs("e"); }, "search hiding missing songs");
    EXPECT_LT(static_cast<std::size_t>(m_list.RowCount()), m_list.FoundSongs().size());
}

TEST_F(SongListByKeys, AHeadingClickOrdersByItsColumnAgainReversedUntilTheNextReading) {
    m_settings.FILTER = 99;
    m_list.ShowSingles();
    const std::vector<int> own = Listed();
    const auto titleAt = std::find(m_list.Columns().begin(), m_list.Columns().end(), SongColumn::Title);
    const int title = static_cast<int>(titleAt - m_list.Columns().begin());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    m_list.ClickRow(2, true, false);
    const int selected = m_list.SongNumAt(2);
    m_list.SetCurrentRow(4);
    const int current = m_list.CurrentSongNum();

    m_list.SortByColumn(title);
    EXPECT_EQ(m_list.SortColumn(), title);
    EXPECT_FALSE(m_list.SortReversed());
    const QStringList up = Column(SongColumn::Title);
    // Empty first, then by the locale, numbers by value: "2 Tone" before "10 cc".
    EXPECT_EQ(up.front(), "");
    EXPECT_LT(up.indexOf("2 Tone"), up.indexOf("10 cc"));
    EXPECT_LT(up.indexOf("beta"), up.indexOf("Zed"));
    EXPECT_EQ(m_list.CurrentSongNum(), current);
    EXPECT_EQ(m_list.SelectedCount(), 1);
    EXPECT_EQ(m_list.SongNumAt(m_list.SelectedRows().front()), selected);

    m_list.SortByColumn(title);
    EXPECT_TRUE(m_list.SortReversed());
    QStringList down = Column(SongColumn::Title);
    std::reverse(down.begin(), down.end());
    EXPECT_EQ(down, up);

    // Ranks kept from an earlier click follow the rows through the orders in between.
    const auto artistAt = std::find(m_list.Columns().begin(), m_list.Columns().end(), SongColumn::Artist);
    const int artist = static_cast<int>(artistAt - m_list.Columns().begin());
    m_list.SortByColumn(artist);
    const QStringList byArtist = Column(SongColumn::Artist);
    EXPECT_TRUE(std::is_sorted(byArtist.begin(), byArtist.end(), [](const QString& a, const QString& b) {
        return a.isEmpty() && !b.isEmpty();
    }));
    m_list.SortByColumn(title);
    EXPECT_FALSE(m_list.SortReversed());
    EXPECT_EQ(Column(SongColumn::Title), up);
    EXPECT_EQ(m_list.CurrentSongNum(), current);
    m_list.SortByColumn(artist);
    EXPECT_EQ(Column(SongColumn::Artist), byArtist);
    m_list.SortByColumn(title);
    m_list.SortByColumn(title);
    EXPECT_TRUE(m_list.SortReversed());
    QStringList upAgain = Column(SongColumn::Title);
    std::reverse(upAgain.begin(), upAgain.end());
    EXPECT_EQ(upAgain, up);

    m_list.RebuildKeepingCurrent();
    EXPECT_EQ(m_list.SortColumn(), -1);
    EXPECT_EQ(Listed(), own);
    EXPECT_EQ(m_list.CurrentSongNum(), current);
    QLocale::setDefault(QLocale::c());
}

TEST_F(SongListByKeys, AListAskedForAgainIsReadAgainAfterAnyChange) {
    m_settings.FILTER = 99;
    const auto titles = [this] {
        QStringList each;
        for (int row = 0; row < m_list.RowCount(); ++row) {
            each << m_list.Model().RowTexts(row).join('|');
        }
        return each;
    };
    m_list.ShowAlbumSongs(m_albums[3]);
    const std::vector<int> own = Listed();
    ASSERT_GE(own.size(), 2u);
    m_list.SearchSongs("zed");
    m_list.SongListBack();
    EXPECT_EQ(Listed(), own);

    // Each change, committed or not, and a change undone, is seen by the next reading.
    const int first = own.front();
    const std::vector<std::pair<std::string, std::function<void()>>> changes{
        {"an uncommitted move to another album",
         [&] {
             m_catalogue.ExecSql("update song set albumid = 0 where songnum = " + QString::number(first));
         }},
        {"a move back undone by a savepoint",
         [&] {
             m_catalogue.SetSavepoint();
             m_catalogue.ExecSql("update song set albumid = " + QString::number(m_albums[3]) +
                                 " where songnum = " + QString::number(first));
             m_catalogue.RollbackToSavepoint();
         }},
        {"a committed move back",
         [&] {
             m_catalogue.ExecSqlCommit("update song set albumid = " + QString::number(m_albums[3]) +
                                       " where songnum = " + QString::number(first));
         }},
    };
    for (const auto& [what, change] : changes) {
        change();
        m_list.Refresh();
        const std::vector<int> kept = Listed();
        const QStringList keptTitles = titles();
        m_list.SetReadByKeys(false);
        m_list.Refresh();
        EXPECT_EQ(kept, Listed()) << what;
        EXPECT_EQ(keptTitles, titles()) << what;
        m_list.SetReadByKeys(true);
    }
    EXPECT_EQ(Listed(), own);
}

// The order of the whole list (album name, track, artist name, title, song number), on rows the
// engine cannot hold for the comparison with its own ORDER BY: numbers at both ends of 64 bits.
struct KeyRow {
    int songNum;
    std::optional<qint64> track;
    QString album;
    QString artist;
    QString title;
};

struct KeyOrderCase {
    std::string name;
    std::vector<KeyRow> rows;
    std::vector<int> songNums;
};

TEST(SongKeysOrder, NullsFirstThenByEachKeyInTurn) {
    constexpr qint64 kLowest = std::numeric_limits<qint64>::min();
    constexpr qint64 kHighest = std::numeric_limits<qint64>::max();
    const QString none;
    for (const KeyOrderCase& c : std::vector<KeyOrderCase>{
             {"SmallNumbersAndNames",
              {{1, 2, "b", "x", "t"},
               {2, std::nullopt, "b", "x", "t"},
               {3, -3, "b", "x", "t"},
               {4, 2, "a", "y", "t"},
               {5, 2, none, "x", "t"},
               {6, 2, "b", none, "t"},
               {7, 2, "b", "w", "t"}},
              {5, 4, 2, 3, 6, 7, 1}},
             {"NumbersAtBothEnds",
              {{1, kHighest, "a", "x", "t"},
               {2, kLowest, "a", "x", "t"},
               {3, std::nullopt, "a", "x", "t"},
               {4, -1, "a", "x", "t"},
               {5, 0, "a", "x", "t"}},
              {3, 2, 4, 5, 1}},
             {"LevelKeysGoByTitleThenNumber",
              {{9, 1, "a", "x", "b"}, {8, 1, "a", "x", "a"}, {7, 1, "a", "x", "a "}, {6, 1, "a", "x", none}},
              {6, 7, 8, 9}}}) {
        RowSet rows({{"SONGNUM", ColumnKind::Integer},
                     {"TRACK", ColumnKind::Integer},
                     {"ALNAME", ColumnKind::Text},
                     {"ARNAME", ColumnKind::Text},
                     {"TITLE", ColumnKind::Text}});
        const auto text = [&rows](const QString& value) {
            value.isNull() ? rows.AppendNull() : rows.AppendText(value);
        };
        for (const KeyRow& row : c.rows) {
            rows.AppendInteger(row.songNum);
            row.track ? rows.AppendInteger(*row.track) : rows.AppendNull();
            text(row.album);
            text(row.artist);
            text(row.title);
            rows.EndRow();
        }
        std::vector<int> songNums;
        for (const int row : SongListOrder(rows, SongListMode::Stamp)) {
            songNums.push_back(c.rows[static_cast<std::size_t>(row)].songNum);
        }
        EXPECT_EQ(songNums, c.songNums) << c.name;
    }
}

struct ColumnSortCase {
    std::string name;
    std::vector<QString> texts;
    bool numeric;
    bool reversed;
    std::vector<int> order;
};

class ColumnSort : public ::testing::TestWithParam<ColumnSortCase> {};

TEST_P(ColumnSort, OrdersByTheLocaleOrByNumberKeepingLevelRowsInOrder) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const ColumnSortCase& c = GetParam();
    EXPECT_EQ(ColumnSortOrder(c.texts, c.numeric, c.reversed), c.order);
    QLocale::setDefault(QLocale::c());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColumnSort,
    ::testing::Values(
        ColumnSortCase{"LettersByTheLocaleNotByCode",
                       {"zebra", "Éclair", "apple", "Banana"},
                       false,
                       false,
                       {2, 3, 1, 0}},
        ColumnSortCase{
            "NumbersInsideTextsByValue", {"Track 10", "Track 9", "Track 1"}, false, false, {2, 1, 0}},
        ColumnSortCase{"LevelRowsKeepTheirOrder", {"b", "a", "b", "a"}, false, false, {1, 3, 0, 2}},
        ColumnSortCase{"ReversedLevelRowsStillInOrder", {"b", "a", "b", "a"}, false, true, {0, 2, 1, 3}},
        ColumnSortCase{"EmptyFirst", {"x", "", "a"}, false, false, {1, 2, 0}},
        ColumnSortCase{
            "NumbersByValueEqualValuesLevel", {"10", "9", "", "09", "-1"}, true, false, {2, 4, 1, 3, 0}},
        ColumnSortCase{"NumbersReversed", {"10", "9", "", "09"}, true, true, {0, 1, 3, 2}}),
    [](const ::testing::TestParamInfo<ColumnSortCase>& each) { return each.param.name; });

struct RankCase {
    std::string name;
    std::vector<QString> texts;
    bool numeric;
    std::vector<int> ranks;
};

TEST(ColumnRanks, LevelTextsShareARankHoweverTheyAreStored) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString shared = "b";
    for (const RankCase& c : std::vector<RankCase>{
             {"EqualTextsStoredApart", {QString("b"), QString("a"), QString("b")}, false, {1, 0, 1}},
             {"OneTextStoredOnce", {shared, QString("a"), shared, shared}, false, {1, 0, 1, 1}},
             {"NullAndEmptyBothFirst",
              {QString("x"), QString(), QString(""), QString("a")},
              false,
              {2, 0, 0, 1}},
             {"NumbersOfEqualValue", {"10", "9", "", "09", "-1", QString()}, true, {3, 2, 0, 2, 1, 0}},
             {"NothingToRank", {}, false, {}}}) {
        EXPECT_EQ(ColumnSortRanks(c.texts, c.numeric), c.ranks) << c.name;
    }
    QLocale::setDefault(QLocale::c());
}

TEST(ColumnRanks, RowsGoByRankLevelRowsInTheirOrderEitherWay) {
    EXPECT_EQ(OrderByRanks({2, 0, 2, 1, 0}, false), (std::vector<int>{1, 4, 3, 0, 2}));
    EXPECT_EQ(OrderByRanks({2, 0, 2, 1, 0}, true), (std::vector<int>{0, 2, 3, 1, 4}));
    EXPECT_EQ(OrderByRanks({}, true), std::vector<int>{});
    EXPECT_THROW(OrderByRanks({0, -1}, false), std::invalid_argument);
}

struct StoredTextCase {
    const char16_t* a;
    const char16_t* b;
    int sign;
};

TEST(StoredText, ComparesByCodePointWithTrailingBlanksIgnored) {
    for (const StoredTextCase& c : std::vector<StoredTextCase>{{u"B", u"a", -1},
                                                               {u"abc", u"abc  ", 0},
                                                               {u"ab\t", u"ab", -1},
                                                               {u"\uFFFD", u"\U0001F600", -1},
                                                               {u"é", u"z", 1},
                                                               {u"", u" ", 0}}) {
        const int got = CompareStoredText(QString::fromUtf16(c.a), QString::fromUtf16(c.b));
        EXPECT_EQ((got > 0) - (got < 0), c.sign)
            << QString::fromUtf16(c.a).toStdString() << " vs " << QString::fromUtf16(c.b).toStdString();
    }
}

}  // namespace
}  // namespace sw
