#include <gtest/gtest.h>

#include "foundation/Dialogs.h"
#include "foundation/Placement.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

const QRect kScreen(0, 0, 1024, 768);

TEST(Placement, BoxesArePulledBackOntoTheScreenOnly) {
    const QSize box(300, 120);
    EXPECT_EQ(ClampBoxToScreen({100, 100}, box, kScreen), QPoint(100, 100));
    EXPECT_EQ(ClampBoxToScreen({1023, 767}, box, kScreen), QPoint(724, 648));
    EXPECT_EQ(ClampBoxToScreen({724, 648}, box, kScreen), QPoint(724, 648));
    EXPECT_EQ(ClampBoxToScreen({725, 10}, box, kScreen), QPoint(724, 10));
    // No further correction: a box larger than the screen may start off its top-left.
    EXPECT_EQ(ClampBoxToScreen({10, 10}, QSize(2000, 1000), kScreen), QPoint(-976, -232));
    // A second screen to the right.
    EXPECT_EQ(ClampBoxToScreen({2000, 0}, box, QRect(1024, 0, 1024, 768)), QPoint(1748, 0));
}

TEST(Placement, NearCursorStaysOnScreenOnEverySide) {
    const QSize window(200, 100);
    EXPECT_EQ(NearCursorPosition({10, 20}, window, kScreen), QPoint(11, 21));
    EXPECT_EQ(NearCursorPosition({1023, 767}, window, kScreen), QPoint(824, 668));
    EXPECT_EQ(NearCursorPosition({500, 500}, QSize(2000, 1000), kScreen), QPoint(0, 0));
}

TEST(DialogAnchor, UnmovedMouseReopensWhereTheLastBoxWasLeft) {
    DialogAnchor anchor;
    EXPECT_EQ(anchor.OpenPoint({100, 100}), QPoint(100, 100));
    // The user drags the box to (400, 300) and clicks OK with the mouse at (450, 320).
    anchor.Closed({450, 320}, {400, 300});
    EXPECT_EQ(anchor.PeekPoint({450, 320}), QPoint(400, 300));
    EXPECT_EQ(anchor.OpenPoint({450, 320}), QPoint(400, 300));
    anchor.Closed({450, 320}, {400, 300});
    // Once the mouse moves, boxes follow it again.
    EXPECT_EQ(anchor.OpenPoint({10, 10}), QPoint(10, 10));
}

TEST(Busy, NestsAndNeverGoesBelowZero) {
    ScriptedDialogs dialogs;
    dialogs.BusyBegin();
    dialogs.BusyBegin();
    dialogs.BusyEnd();
    EXPECT_TRUE(dialogs.BusyCursorShown());
    dialogs.BusyEnd();
    EXPECT_FALSE(dialogs.BusyCursorShown());
    dialogs.BusyEnd();
    EXPECT_EQ(dialogs.BusyDepth(), 0);
    EXPECT_FALSE(dialogs.BusyCursorShown());
    dialogs.BusyBegin();
    dialogs.BusyReset();
    EXPECT_EQ(dialogs.BusyDepth(), 0);
    EXPECT_FALSE(dialogs.BusyCursorShown());
}

TEST(Flash, DisplayTimeGrowsWithLongTexts) {
    EXPECT_EQ(FlashDisplayTime(QString(20, 'x'), 800), 800);
    EXPECT_EQ(FlashDisplayTime(QString(40, 'x'), 800), 1600);
    EXPECT_EQ(FlashDisplayTime(QString(41, 'x'), 800), 1640);
    EXPECT_EQ(FlashDisplayTime("", 800), 800);
    EXPECT_EQ(FlashDisplayTime(QString(30, 'x'), 810), 1200);  // interval div 20 is whole
}

TEST(ScriptedDialogs, AnswersFromTheQueueThenWithDefaults) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    dialogs.QueueAnswers({"No", "c", "", "Cancel", "2", "<cancel>", "new text"});
    EXPECT_FALSE(Confirm("first"));
    EXPECT_EQ(AskYesNoCancel("second"), 'C');
    EXPECT_EQ(AskYesNoCancel("third"), ' ');
    EXPECT_FALSE(AskOkCancel("fourth"));
    EXPECT_EQ(AskChoice("fifth", "A", "B"), 2);
    QString value = "kept";
    EXPECT_FALSE(InputText("sixth", value));
    EXPECT_EQ(value, "kept");
    EXPECT_TRUE(InputTextLimited("seventh", value, 3));
    EXPECT_EQ(value, "new");
    // Defaults once the queue is empty.
    EXPECT_TRUE(ConfirmOK("Arrange windows"));
    EXPECT_TRUE(AskOkCancel("ok"));
    EXPECT_EQ(AskChoice("pick", "A", "B"), 1);
    EXPECT_TRUE(InputText("keep", value));
    EXPECT_EQ(value, "new");
    EXPECT_EQ(dialogs.TextsOf("ASK").at(4), "Arrange windows - OK ? -> Yes");
    EXPECT_EQ(dialogs.TextsOf("CHOICE").front(), "fifth [A | B] -> 2");

    dialogs.QueueAnswer("perhaps");
    EXPECT_THROW(Confirm("bad"), std::invalid_argument);
}

TEST(ScriptedDialogs, MessagesAreOneLineEach) {
    ScriptedDialogs dialogs;
    dialogs.ShowInfo("Delete x\nError 2 No such file");
    dialogs.ShowError("a\r\nb");
    EXPECT_EQ(dialogs.Transcript(), (QStringList{"INFO: Delete x\\nError 2 No such file", "ERROR: a\\nb"}));
}

TEST(InputInteger, EmptyBoxIsZeroAndBadTextIsRefused) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    dialogs.QueueAnswers({"", "12x", "<ok>", "<ok>"});
    int value = 5;
    EXPECT_TRUE(InputInteger("n", value));
    EXPECT_EQ(value, 0);
    value = 5;
    EXPECT_FALSE(InputInteger("n", value));
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(InputInteger("n", value));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(dialogs.TextsOf("INPUT").at(2), "n -> 5");
    // The box starts empty for a number of 0 or less.
    value = -4;
    EXPECT_TRUE(InputInteger("n", value));
    EXPECT_EQ(value, 0);
}

TEST(SetFlashInterval, AcceptsFiveHundredToTwoThousand) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    dialogs.SetFlashInterval(800);
    const std::pair<const char*, int> cases[] = {{"499", 800}, {"2001", 800}, {"500", 500}, {"2000", 2000}};
    for (const auto& [answer, expected] : cases) {
        dialogs.QueueAnswer(answer);
        SetFlashInterval();
        EXPECT_EQ(dialogs.FlashInterval(), expected) << answer;
    }
    EXPECT_EQ(dialogs.TextsOf("FLASH"),
              (QStringList{"Out of range", "Out of range", "Flash interval updated OK",
                           "Flash interval updated OK"}));
    dialogs.QueueAnswer("<cancel>");
    SetFlashInterval();
    EXPECT_EQ(dialogs.TextsOf("FLASH").size(), 4);
}

TEST(FlashToggleState, NamesTheItemAndItsState) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    EXPECT_TRUE(FlashToggleState("Fade on Pause", true));
    EXPECT_FALSE(FlashToggleState("Fade on Pause", false));
    EXPECT_EQ(dialogs.TextsOf("FLASH"), (QStringList{"\"Fade on Pause\" is ON", "\"Fade on Pause\" is OFF"}));
    EXPECT_EQ(dialogs.LastFlashText(), "\"Fade on Pause\" is OFF");
}

TEST(TraceStep, ShowsOnlyWhenSwitchedOn) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    SetStartupTrace(false);
    TraceStep("hidden");
    SetStartupTrace(true);
    TraceStep("create fcore");
    SetStartupTrace(false);
    EXPECT_EQ(dialogs.TextsOf("INFO"), QStringList{"create fcore"});
}

}  // namespace
}  // namespace sw
