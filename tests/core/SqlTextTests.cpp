#include <gtest/gtest.h>

#include "core/CatalogueCreation.h"
#include "core/Firebird.h"
#include "core/SqlParameters.h"

namespace sw {
namespace {

TEST(NamedParameters, BecomeMarkersOutsideQuotesAndComments) {
    const struct {
        const char* sql;
        const char* text;
        QStringList names;
    } cases[] = {
        {"select * from song where lower(fn) = :fn", "select * from song where lower(fn) = ?", {"fn"}},
        {"update song set searchts=:TS where songnum=:n and editts=:ts",
         "update song set searchts=? where songnum=? and editts=?",
         {"ts", "n", "ts"}},
        {"select ':no' from x where a = ':x'':y' and b=:b",
         "select ':no' from x where a = ':x'':y' and b=?",
         {"b"}},
        {"select \"year:x\" from song -- :c\nwhere a=:a",
         "select \"year:x\" from song -- :c\nwhere a=?",
         {"a"}},
        {"select /* :c */ 1 from rdb$database where 1 = :one_1",
         "select /* :c */ 1 from rdb$database where 1 = ?",
         {"one_1"}},
        {"select 1 from t where a = :1 or b = ':'", "select 1 from t where a = :1 or b = ':'", {}},
        {"select 'unterminated :x", "select 'unterminated :x", {}},
    };
    for (const auto& c : cases) {
        const PositionalSql result = ToPositional(c.sql);
        EXPECT_EQ(result.text, c.text) << c.sql;
        EXPECT_EQ(result.names, c.names) << c.sql;
    }
}

TEST(CreationScript, SplitsIntoStatementsWithoutComments) {
    const QStringList statements = SplitSqlScript(
        "/* header\n comment; with a semicolon */\ncreate table a (\n  x integer\n);\n-- note;\n"
        "insert into a values (1);\n\ninsert into a values (';');\ntrailing");
    EXPECT_EQ(statements, (QStringList{"create table a (\n  x integer\n)", "insert into a values (1)",
                                       "insert into a values (';')", "trailing"}));
}

TEST(Timestamps, SplitAndJoinTheEnginesTwoParts) {
    int date = 0;
    unsigned time = 0;
    fb::TimestampParts(0, date, time);
    EXPECT_EQ(date, 15018);
    EXPECT_EQ(time, 0u);
    fb::TimestampParts(1.5, date, time);
    EXPECT_EQ(date, 15019);
    EXPECT_EQ(time, 432'000'000u);
    // Before the epoch the fraction still counts forward from midnight.
    fb::TimestampParts(-1.25, date, time);
    EXPECT_EQ(date, 15017);
    EXPECT_EQ(time, 216'000'000u);
    EXPECT_DOUBLE_EQ(fb::TimestampFromParts(15017, 216'000'000u), -1.25);
    // A fraction that rounds to a whole day moves to the next day.
    fb::TimestampParts(1.99999999999, date, time);
    EXPECT_EQ(date, 15020);
    EXPECT_EQ(time, 0u);
    for (double value : {45000.123456789, 1.0 / 3, 36525.999988}) {
        fb::TimestampParts(value, date, time);
        EXPECT_NEAR(fb::TimestampFromParts(date, time), value, 1.0 / 864'000'000);
    }
}

}  // namespace
}  // namespace sw
