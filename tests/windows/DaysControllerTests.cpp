#include <gtest/gtest.h>

#include <optional>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "foundation/ScriptedDialogs.h"
#include "foundation/Text.h"
#include "windows/DaysController.h"

namespace sw {
namespace {

struct Shown {
    QString date;
    QString note;
    friend bool operator==(const Shown&, const Shown&) = default;
};

void PrintTo(const Shown& row, std::ostream* out) {
    *out << row.date.toStdString() << " | " << row.note.toStdString();
}

/// Records what the controller asks the grid to do.
class RecordingDisplay : public DaysDisplay {
public:
    void ListReloaded() override { ++reloads; }
    void CurrentRowMoved(int row, bool contextBelow) override {
        movedTo = row;
        withContext = contextBelow;
    }
    int reloads = 0;
    int movedTo = -1;
    bool withContext = false;
};

class DaysTest : public ::testing::Test {
protected:
    DaysTest() : m_installed(m_dialogs) {
        m_source.OpenCurrent(m_catalogue);
        m_days.SetDisplay(&m_display);
    }

    /// One play on that day; 0 stands for a play recorded without a date.
    void Play(int day) {
        const QString pldate = day == 0 ? "null" : QString::number(day);
        m_catalogue.ExecSqlCommit(
            "insert into history (songnum, ts, pldate, pltime) values (1, "
            "'2024-01-01 10:00:00', " +
            pldate + ", 100000)");
    }
    void Note(int day, const QString& note) {
        m_catalogue.ExecSqlCommit("insert into daynote (dayint, note) values (" + QString::number(day) +
                                  ", " + SqlQuote(note) + ")");
    }
    std::vector<Shown> Rows() const {
        std::vector<Shown> rows;
        for (int row = 0; row < m_days.RowCount(); ++row) {
            rows.push_back({m_days.DateText(row), m_days.NoteText(row)});
        }
        return rows;
    }
    /// The stored note of a day: nullopt without a row, "(null)" for a null note.
    std::optional<QString> StoredNote(int day) {
        const RowSet rows =
            m_catalogue.Select("select note from daynote where dayint = " + QString::number(day));
        if (rows.RowCount() == 0) {
            return std::nullopt;
        }
        EXPECT_EQ(rows.RowCount(), 1);
        const QVariant& value = rows.Value(0, 0);
        return value.isValid() ? value.toString() : QString("(null)");
    }

    test::TestCatalogue m_source;
    Catalogue m_catalogue;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    RecordingDisplay m_display;
    DaysController m_days{m_catalogue};
};

TEST_F(DaysTest, ListsEachPlayedDayOnceWithItsNoteOldestFirst) {
    for (int day : {20240307, 20231231, 20240307, 0, 20240101, 0}) {
        Play(day);
    }
    Note(20240101, "New year");
    Note(20240307, "Ann's party, \"loud\"");
    Note(20220101, "a note of a day without plays");

    m_days.Shown();

    // Plays without a date come together as one row, ahead of the dated days.
    const std::vector<Shown> expected{{"0000-00-00", ""},
                                      {"2023-12-31", ""},
                                      {"2024-01-01", "New year"},
                                      {"2024-03-07", "Ann's party, \"loud\""}};
    EXPECT_EQ(Rows(), expected);
    EXPECT_TRUE(m_days.ListOpen());
    EXPECT_GE(m_display.reloads, 1);
    // The most recent day is current.
    EXPECT_EQ(m_days.CurrentRow(), 3);
    EXPECT_EQ(m_days.CurrentDay(), 20240307);
    EXPECT_EQ(m_display.movedTo, 3);
}

struct NoteCase {
    const char* name;
    std::optional<QString> before;  // the day's stored note, if any
    QString answer;                 // what the input box is answered with
    std::optional<QString> stored;  // the stored note afterwards
    QString shown;                  // the NOTE cell afterwards
};

void PrintTo(const NoteCase& c, std::ostream* out) {
    *out << c.name;
}

class NoteTable : public DaysTest, public ::testing::WithParamInterface<NoteCase> {};

TEST_P(NoteTable, AddOrEditTheCurrentDaysNote) {
    const NoteCase& c = GetParam();
    Play(20240101);
    Play(20240307);
    Play(20240420);
    if (c.before) {
        Note(20240307, *c.before);
    }
    m_days.Shown();
    m_days.MoveToDay(20240307);
    m_dialogs.QueueAnswer(c.answer);

    m_days.EditDayNote();

    const QString prefilled = c.before.value_or("");
    const QString result = c.answer == "<cancel>" ? "(cancelled)" : c.answer == "<ok>" ? prefilled : c.answer;
    EXPECT_EQ(m_dialogs.Transcript(), QStringList{"INPUT: Day note for 20240307 -> " + result});
    EXPECT_EQ(StoredNote(20240307), c.stored);
    EXPECT_EQ(m_days.NoteText(1), c.shown);
    // The list is read again and stays on the day of the note.
    EXPECT_EQ(m_days.CurrentDay(), 20240307);
}

INSTANTIATE_TEST_SUITE_P(
    Days, NoteTable,
    ::testing::Values(
        NoteCase{"NewNote", std::nullopt, "Quiet day", "Quiet day", "Quiet day"},
        NoteCase{"EditedNote", "Old", "New", "New", "New"},
        NoteCase{"Apostrophes", "Old", "Ann's 'best' day", "Ann's 'best' day", "Ann's 'best' day"},
        NoteCase{"EmptiedNoteKeepsItsRow", "Old", "", "", ""},
        NoteCase{"UnchangedOk", "Same", "<ok>", "Same", "Same"},
        NoteCase{"Cancel", "Old", "<cancel>", "Old", "Old"},
        NoteCase{"CancelWithoutNote", std::nullopt, "<cancel>", std::nullopt, ""},
        NoteCase{"NonAsciiAtTheLimit", std::nullopt, QString(254, QChar(0x00E9)) + "\u263A",
                 QString(254, QChar(0x00E9)) + "\u263A", QString(254, QChar(0x00E9)) + "\u263A"}),
    [](const ::testing::TestParamInfo<NoteCase>& param) { return std::string(param.param.name); });

TEST_F(DaysTest, ANoteTooLongIsRefusedWithTheDatabasesTextAndTheOldNoteStays) {
    Play(20240307);
    Note(20240307, "Old");
    m_days.Shown();
    m_dialogs.QueueAnswer(QString(256, 'x'));

    try {
        m_days.EditDayNote();
        FAIL() << "a 256-character note was stored";
    } catch (const DatabaseError& error) {
        EXPECT_NE(QString(error.what()).indexOf("truncation"), -1) << error.what();
    }
    EXPECT_EQ(StoredNote(20240307), "Old");
    // The catalogue goes on working after the refusal.
    m_dialogs.QueueAnswer("Shorter");
    m_days.EditDayNote();
    EXPECT_EQ(StoredNote(20240307), "Shorter");
}

TEST_F(DaysTest, WithoutHistoryTheNoteGoesToDayZeroWhichTheListNeverShows) {
    m_days.Shown();
    EXPECT_EQ(m_days.RowCount(), 0);
    EXPECT_EQ(m_days.CurrentRow(), -1);
    m_dialogs.QueueAnswer("Nothing played yet");

    m_days.EditDayNote();

    EXPECT_EQ(m_dialogs.Transcript(), QStringList{"INPUT: Day note for 0 -> Nothing played yet"});
    EXPECT_EQ(StoredNote(0), "Nothing played yet");
    EXPECT_EQ(m_days.RowCount(), 0);

    // The undated row of old plays asks for day 0 as well, and still shows no note.
    Play(0);
    m_days.Shown();
    m_dialogs.QueueAnswer("Again");
    m_days.EditDayNote();
    EXPECT_EQ(m_dialogs.Transcript().last(), "INPUT: Day note for 0 -> Again");
    EXPECT_EQ(StoredNote(0), "Again");
    EXPECT_EQ(Rows(), (std::vector<Shown>{{"0000-00-00", ""}}));
}

TEST_F(DaysTest, MovesToADayWithTheFollowingDaysInView) {
    for (int day = 20240101; day <= 20240130; ++day) {
        Play(day);
    }
    m_days.Shown();

    m_days.MoveToDay(20240110);
    EXPECT_EQ(m_days.CurrentRow(), 9);
    EXPECT_EQ(m_display.movedTo, 9);
    EXPECT_TRUE(m_display.withContext);

    // Day 0 and below do nothing; a day that is not listed ends on the last row.
    m_days.MoveToDay(0);
    m_days.MoveToDay(-5);
    EXPECT_EQ(m_days.CurrentRow(), 9);
    m_days.MoveToDay(20240215);
    EXPECT_EQ(m_days.CurrentRow(), 29);

    m_days.First();
    EXPECT_EQ(m_days.CurrentDay(), 20240101);
    EXPECT_FALSE(m_display.withContext);
    m_days.Last();
    EXPECT_EQ(m_days.CurrentDay(), 20240130);
}

TEST_F(DaysTest, ListingADayHandsItToTheSongsWindowWhichRemembersIt) {
    Play(20240101);
    Play(20240307);
    m_days.Shown();

    // Not connected yet: nothing happens and nothing is remembered.
    EXPECT_FALSE(m_days.CanListDaySongs());
    m_days.ListSongsActuallyPlayed();
    EXPECT_EQ(m_days.RememberedDay(), 0);

    std::vector<int> listed;
    m_days.SetListDaySongs([&](int day) { listed.push_back(day); });
    m_days.SetCurrentRow(0);
    m_days.ListSongsActuallyPlayed();
    EXPECT_EQ(listed, std::vector<int>{20240101});
    EXPECT_EQ(m_days.RememberedDay(), 20240101);

    // A list that has gone is opened again at the next activation, on the remembered day.
    m_days.CloseList();
    EXPECT_FALSE(m_days.ListOpen());
    m_days.Activated();
    EXPECT_TRUE(m_days.ListOpen());
    EXPECT_EQ(m_days.CurrentDay(), 20240101);
    // An open list is left as it is.
    m_days.Last();
    m_days.Activated();
    EXPECT_EQ(m_days.CurrentDay(), 20240307);

    // A list that failed to list its songs does not remember the day.
    m_days.SetListDaySongs([](int) { throw DatabaseError("refused"); });
    EXPECT_THROW(m_days.ListSongsActuallyPlayed(), DatabaseError);
    EXPECT_EQ(m_days.RememberedDay(), 20240101);
}

TEST_F(DaysTest, RefreshShowsDaysPlayedSinceAndStaysOnTheDay) {
    Play(20240101);
    Play(20240307);
    m_days.Shown();
    m_days.First();
    Play(20240420);

    m_days.Refresh();

    EXPECT_EQ(m_days.RowCount(), 3);
    EXPECT_EQ(m_days.CurrentDay(), 20240101);
}

TEST_F(DaysTest, AClosedCatalogueLeavesTheListClosedOnActivation) {
    Play(20240101);
    m_catalogue.CloseCatalogue();
    m_days.Activated();
    EXPECT_FALSE(m_days.ListOpen());
    EXPECT_THROW(m_days.Shown(), DatabaseError);
}

}  // namespace
}  // namespace sw
