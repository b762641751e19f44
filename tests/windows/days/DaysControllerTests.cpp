#include <gtest/gtest.h>

#include <optional>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "foundation/ScriptedDialogs.h"
#include "foundation/Text.h"
#include "windows/days/DaysController.h"

namespace sw {
namespace {

/// Records where the controller moved the grid.
class RecordingDisplay : public DaysDisplay {
public:
    void ListReloaded() override {}
    void CurrentRowMoved(int row, bool contextBelow) override {
        movedTo = row;
        withContext = contextBelow;
    }
    int movedTo = -1;
    bool withContext = false;
};

/// Scripted answers in a box that holds any length, as a box counting otherwise than the column
/// might; it keeps the limit it was asked for.
class UnlimitedBoxDialogs : public ScriptedDialogs {
public:
    bool InputText(const QString& prompt, QString& value, int maxLength, const QString& hint) override {
        askedLimit = maxLength;
        return ScriptedDialogs::InputText(prompt, value, 0, hint);
    }
    int askedLimit = -1;
};

class DaysTest : public ::testing::Test {
protected:
    DaysTest() : m_installed(m_dialogs) {
        m_source.OpenCurrent(m_catalogue);
        m_days.SetDisplay(&m_display);
    }

    /// One play on each day; 0 stands for a play recorded without a date.
    void Play(std::initializer_list<int> days) {
        for (int day : days) {
            m_catalogue.ExecSql("insert into history (songnum, ts, pldate) values (1, '2024-01-01 10:00', " +
                                (day == 0 ? QString("null") : QString::number(day)) + ")");
        }
        m_catalogue.CommitAndContinue();
    }
    void Note(int day, const QString& note) {
        m_catalogue.ExecSqlCommit("insert into daynote (dayint, note) values (" + QString::number(day) +
                                  ", " + SqlQuote(note) + ")");
    }
    /// Each row as "date|note".
    QStringList Rows() const {
        QStringList rows;
        for (int row = 0; row < m_days.RowCount(); ++row) {
            rows << m_days.DateText(row) + "|" + m_days.NoteText(row);
        }
        return rows;
    }
    /// The stored note of a day; nullopt without a row.
    std::optional<QString> StoredNote(int day) {
        const RowSet rows =
            m_catalogue.Select("select note from daynote where dayint = " + QString::number(day));
        EXPECT_LE(rows.RowCount(), 1);
        return rows.RowCount() == 0 ? std::nullopt : std::optional(rows.Value(0, 0).toString());
    }

    test::TestCatalogue m_source;
    Catalogue m_catalogue;
    UnlimitedBoxDialogs m_dialogs;
    ScopedDialogs m_installed;
    RecordingDisplay m_display;
    DaysController m_days{m_catalogue};
};

TEST_F(DaysTest, ListsEachPlayedDayOnceWithItsNoteOnTheMostRecent) {
    Play({20240307, 20231231, 20240307, 0, 20240101, 0});
    Note(20240101, "New year");
    Note(20240307, "Ann's party, \"loud\"");
    Note(20220101, "a note of a day without plays");

    m_days.Shown();

    // Plays without a date come together as one row, ahead of the dated days.
    EXPECT_EQ(Rows(), (QStringList{"0000-00-00|", "2023-12-31|", "2024-01-01|New year",
                                   "2024-03-07|Ann's party, \"loud\""}));
    EXPECT_EQ(m_days.CurrentDay(), 20240307);
    EXPECT_EQ(m_display.movedTo, 3);
}

struct NoteCase {
    const char* name;
    std::optional<QString> before;  // the day's stored note, if any
    QString answer;                 // the input box's answer
    std::optional<QString> stored;  // the stored note afterwards
};

void PrintTo(const NoteCase& c, std::ostream* out) {
    *out << c.name;
}

class NoteTable : public DaysTest, public ::testing::WithParamInterface<NoteCase> {};

TEST_P(NoteTable, AddOrEditTheCurrentDaysNote) {
    const NoteCase& c = GetParam();
    Play({20240101, 20240307, 20240420});
    if (c.before) {
        Note(20240307, *c.before);
    }
    m_days.Shown();
    m_days.MoveToDay(20240307);
    m_dialogs.QueueAnswer(c.answer);

    m_days.EditDayNote();

    const QString shown = c.answer == "<cancel>" ? "(cancelled)" : c.answer;
    EXPECT_EQ(m_dialogs.Transcript(), QStringList{"INPUT: Day note for 20240307 -> " + shown});
    EXPECT_EQ(StoredNote(20240307), c.stored);
    EXPECT_EQ(m_days.NoteText(1), c.stored.value_or(""));
    EXPECT_EQ(m_days.CurrentDay(), 20240307);
}

const QString kLongest = QString(254, QChar(0x00E9)) + QChar(0x263A);

INSTANTIATE_TEST_SUITE_P(Days, NoteTable,
                         ::testing::Values(NoteCase{"NewNote", std::nullopt, "Quiet day", "Quiet day"},
                                           NoteCase{"Apostrophes", "Old", "Ann's 'best' day",
                                                    "Ann's 'best' day"},
                                           NoteCase{"EmptiedNoteKeepsItsRow", "Old", "", ""},
                                           NoteCase{"Cancel", "Old", "<cancel>", "Old"},
                                           NoteCase{"NonAsciiAtTheLimit", std::nullopt, kLongest, kLongest}),
                         [](const ::testing::TestParamInfo<NoteCase>& param) { return param.param.name; });

TEST_F(DaysTest, TheBoxHoldsTheColumnsWidthAndALongerNoteIsCutOnlyWhenTheUserAgrees) {
    Play({20240307});
    Note(20240307, "Old");
    m_days.Shown();
    const QString tooLong = QString(254, 'x') + "yz";
    const QString question = "Day note has 256 characters, only the first 255 can be kept - OK ?";
    struct Case {
        const char* name;
        QString answer;
        QString stored;
    };
    for (const Case& each : {Case{"declined", "No", "Old"}, Case{"agreed", "Yes", tooLong.left(255)}}) {
        SCOPED_TRACE(each.name);
        m_dialogs.ClearTranscript();
        m_dialogs.QueueAnswers({tooLong, each.answer});
        m_days.EditDayNote();
        EXPECT_EQ(m_dialogs.askedLimit, 255);
        EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{question + " -> " + each.answer});
        EXPECT_EQ(StoredNote(20240307), each.stored);
        EXPECT_EQ(m_days.NoteText(0), each.stored);
    }
    // Characters are counted as the column counts them, not in UTF-16 units.
    m_dialogs.ClearTranscript();
    const QString smiles = QString::fromUcs4(std::u32string(255, U'\U0001F600').c_str());
    m_dialogs.QueueAnswer(smiles);
    m_days.EditDayNote();
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
    EXPECT_EQ(StoredNote(20240307), smiles);
}

TEST_F(DaysTest, TheUndatedRowAndAnEmptyListTakeNoNote) {
    // Without a row there is no day at all: nothing is asked.
    m_days.Shown();
    EXPECT_EQ(m_days.CurrentRow(), -1);
    EXPECT_FALSE(m_days.DayNoteAllowed());
    m_days.EditDayNote();
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());

    // The row of plays without a date is no day: its note would go under day 0, never shown.
    Play({0, 20240307});
    m_days.Shown();
    m_days.First();
    EXPECT_EQ(m_days.DateText(m_days.CurrentRow()), "0000-00-00");
    EXPECT_FALSE(m_days.DayNoteAllowed());
    m_dialogs.QueueAnswer("Lost");
    m_days.EditDayNote();
    EXPECT_EQ(m_dialogs.Transcript(), QStringList{"INFO: " + QString(kUndatedDayNote)});
    EXPECT_EQ(StoredNote(0), std::nullopt);

    m_days.Last();
    EXPECT_TRUE(m_days.DayNoteAllowed());
    m_days.EditDayNote();
    EXPECT_EQ(StoredNote(20240307), "Lost");
}

TEST_F(DaysTest, MovesToADayWithTheFollowingDaysInView) {
    for (int day = 20240101; day <= 20240130; ++day) {
        Play({day});
    }
    m_days.Shown();
    m_days.MoveToDay(20240110);
    EXPECT_EQ(m_days.CurrentRow(), 9);
    EXPECT_TRUE(m_display.withContext);
    // Day 0 and below do nothing; a day that is not listed ends on the last row.
    m_days.MoveToDay(0);
    m_days.MoveToDay(-5);
    EXPECT_EQ(m_days.CurrentRow(), 9);
    m_days.MoveToDay(20240215);
    EXPECT_EQ(m_days.CurrentRow(), 29);
    m_days.First();
    EXPECT_EQ(m_days.CurrentDay(), 20240101);
}

TEST_F(DaysTest, AListedDayIsRememberedAndTheListComesBackOnIt) {
    Play({20240101, 20240307});
    m_days.Shown();
    // Not connected to the songs window yet: nothing happens.
    m_days.ListSongsActuallyPlayed();
    EXPECT_EQ(m_days.RememberedDay(), 0);

    std::vector<int> listed;
    m_days.SetListDaySongs([&](int day) { listed.push_back(day); });
    m_days.SetCurrentRow(0);
    m_days.ListSongsActuallyPlayed();
    EXPECT_EQ(listed, std::vector<int>{20240101});
    EXPECT_EQ(m_days.RememberedDay(), 20240101);

    // A closed list opens on the remembered day at the next activation; an open one stays as it is.
    m_days.CloseList();
    m_days.Activated();
    EXPECT_EQ(m_days.CurrentDay(), 20240101);
    m_days.Last();
    m_days.Activated();
    EXPECT_EQ(m_days.CurrentDay(), 20240307);

    // "Refresh" reads the days played since and stays on the current day.
    m_days.First();
    Play({20240420});
    m_days.Refresh();
    EXPECT_EQ(m_days.RowCount(), 3);
    EXPECT_EQ(m_days.CurrentDay(), 20240101);
}

}  // namespace
}  // namespace sw
