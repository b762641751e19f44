#include <gtest/gtest.h>

#include "foundation/Numbers.h"
#include "foundation/ScriptedDialogs.h"
#include "foundation/Text.h"

namespace sw {
namespace {

TEST(FormatThousands, GroupsDigitsButNotTheSign) {
    const std::pair<int, const char*> cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {-999, "-999"},
        {-1000, "-1,000"},
        {12345, "12,345"},
        {1234567, "1,234,567"},
        {-1234567, "-1,234,567"},
        {100000, "100,000"},
        {2147483647, "2,147,483,647"},
        {-2147483647 - 1, "-2,147,483,648"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(FormatThousands(value), expected) << value;
    }
}

TEST(LeadingAndTrailingNumbers, ReadTheDigitRunsAtEitherEnd) {
    EXPECT_EQ(LeadingNumber("12 Song"), 12);
    EXPECT_EQ(LeadingNumber("12"), 12);
    EXPECT_EQ(LeadingNumber("Song"), -1);
    EXPECT_EQ(LeadingNumber(""), -1);
    EXPECT_EQ(LeadingNumber("007 Bond"), 7);
    EXPECT_EQ(LeadingNumber("99999999999 x"), -1);
    EXPECT_EQ(TrailingNumber("Song 07"), 7);
    EXPECT_EQ(TrailingNumber("Song"), 0);
    EXPECT_EQ(TrailingNumber(""), -1);
    EXPECT_EQ(TrailingNumber("42"), 42);
    EXPECT_EQ(TrailingNumber("Track 99999999999"), -1);
}

TEST(TryParseInt, AcceptsOnlyWholeDecimalIntegers) {
    const std::tuple<const char*, bool, int> cases[] = {
        {"", true, 0},
        {"0", true, 0},
        {"-12", true, -12},
        {"+7", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"12a", false, 0},
        {" 12", false, 0},
        {"-", false, 0},
        {"1.5", false, 0},
    };
    for (const auto& [text, ok, value] : cases) {
        int parsed = 99;
        EXPECT_EQ(TryParseInt(text, parsed), ok) << text;
        if (ok) {
            EXPECT_EQ(parsed, value) << text;
        }
    }
}

TEST(ParseIntOrWarn, WarnsOnlyAboutNonEmptyInvalidText) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    int value = 0;
    EXPECT_FALSE(ParseIntOrWarn("12a", value));
    EXPECT_FALSE(ParseIntOrWarn("", value));
    EXPECT_TRUE(ParseIntOrWarn("-3", value));
    EXPECT_EQ(value, -3);
    EXPECT_EQ(dialogs.TextsOf("INFO"), QStringList{"Invalid integer \"12a\""});
}

TEST(PadAndSign, FormatNumbers) {
    EXPECT_EQ(PadNumber(7, 3), "007");
    EXPECT_EQ(PadNumber(1234, 3), "1234");
    EXPECT_EQ(SignedText(5), "+5");
    EXPECT_EQ(SignedText(0), "0");
    EXPECT_EQ(SignedText(-2), "-2");
    EXPECT_EQ(FormatFixed(2.345, 1), "2.3");
}

TEST(TextHelpers, PrefixesCompareAndStripWithoutRegardToCase) {
    EXPECT_EQ(StripPrefixNoCase("/home/Music/", "/home/music/Rock/a.mp3"), "Rock/a.mp3");
    EXPECT_EQ(StripPrefixNoCase("/other/", "/home/music/a.mp3"), "/home/music/a.mp3");
    EXPECT_EQ(StripPrefixNoCase("", "x"), "x");
    EXPECT_EQ(StripPrefixNoCase("Björk/", "BJÖRK/Homogenic.ogg"), "Homogenic.ogg");
    EXPECT_EQ(CompareNoCase("abc", "ABC"), 0);
    EXPECT_EQ(CompareNoCase("abc", "ABD"), -1);
    EXPECT_EQ(CompareNoCase("b", "A"), 1);
    // A shorter text is never equal to a longer prefix.
    EXPECT_EQ(ComparePrefixNoCase("ab", "abc"), -1);
    EXPECT_EQ(ComparePrefixNoCase("b", "abc"), 1);
    EXPECT_EQ(ComparePrefixNoCase("ABCdef", "abc"), 0);
    EXPECT_EQ(ComparePrefixNoCase("abd", "abc"), 1);
}

TEST(TextHelpers, QuotingAndAmpersands) {
    QString text = "Rock 'n' Roll";
    EXPECT_TRUE(DoubleApostrophes(text));
    EXPECT_EQ(text, "Rock ''n'' Roll");
    QString plain = "none";
    EXPECT_FALSE(DoubleApostrophes(plain));
    EXPECT_EQ(SqlQuote("O'Brien"), "'O''Brien'");
    EXPECT_EQ(SqlQuote(""), "''");
    EXPECT_EQ(DoubleAmpersands("Simon & Garfunkel"), "Simon && Garfunkel");
    QString caption = "Tom";
    EXPECT_FALSE(DoubleAmpersandsInPlace(caption));
}

TEST(TextHelpers, CharactersCountAndCutWithoutSplittingSurrogatePairs) {
    const QString smile = QString::fromUcs4(U"\U0001F600");
    EXPECT_EQ(CharCount(smile + smile + "ab"), 4);
    EXPECT_EQ(CharCount(QString(QChar(0xD83D)) + "x"), 2);  // a lone surrogate is one character
    EXPECT_EQ(LeftChars(smile + smile + "ab", 2), smile + smile);
    EXPECT_EQ(LeftChars("a" + smile, 1), "a");
    EXPECT_EQ(LeftChars("abc", 5), "abc");
    EXPECT_EQ(LeftChars("abc", 0), "");
}

TEST(TextHelpers, TrimDropKeep) {
    QString text = " \t hello \t\r\n";
    EXPECT_EQ(TrimLeadingBlanks(text), 3);
    EXPECT_EQ(TrimTrailingBlanks(text), 4);
    EXPECT_EQ(text, "hello");
    DropFirstChars(text, 9);
    EXPECT_EQ(text, "hello");
    DropFirstChars(text, 2);
    EXPECT_EQ(text, "llo");
    DropLastChars(text, 9);
    EXPECT_EQ(text, "");
    EXPECT_EQ(KeepLastChars("abcdef", 2), "ef");
    EXPECT_EQ(KeepLastChars("ab", 5), "ab");
    EXPECT_EQ(LastChar(""), QChar());
    EXPECT_EQ(LastChar("ab"), QChar('b'));
    QString folder = "/music";
    AddTrailingBackslash(folder);
    AddTrailingBackslash(folder);
    EXPECT_EQ(folder, "/music/");
    QString empty;
    AddTrailingBackslash(empty);
    EXPECT_EQ(empty, "");
}

}  // namespace
}  // namespace sw
