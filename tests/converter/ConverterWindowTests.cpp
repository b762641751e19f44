// The converter's window over its controller, under Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>

#include "ConverterTestSupport.h"
#include "converter/ConverterAboutWindow.h"
#include "converter/ConverterDialogs.h"
#include "converter/ConverterWindow.h"
#include "foundation/ScriptedDialogs.h"
#include "../windows/ModalDriver.h"

namespace sw {
namespace {

void Click(QWidget* widget) {
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

void PressEscape(QWidget* window) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window, &escape);
}

TEST(ConverterWindowView, ShowsTheConversionAndItsLog) {
    test::ConversionFolders folders;
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    ConverterController controller(folders.Home());
    ConverterWindow window(controller);
    window.show();

    EXPECT_EQ(window.windowTitle(), "Sonwick conversion to Firebird");
    QStringList menu;
    for (const QAction* action : window.menuBar()->actions()) {
        menu << action->text();
    }
    EXPECT_EQ(menu, QStringList({"Exit", "Convert", "About"}));
    EXPECT_EQ(window.LabelText("sourceFolder"), "Click here to select your existing Sonwick folder");
    EXPECT_EQ(window.LabelText("sourceData"), "Conversion leaves the existing database unchanged.  ");
    EXPECT_EQ(window.LabelText("targetFolder"), folders.Home() + "/");
    EXPECT_EQ(window.LabelText("targetData"), folders.Home() + "/SW3DATA/");
    EXPECT_EQ(window.LabelText("targetVersion"), "1");
    EXPECT_FALSE(window.ConvertAction()->isEnabled());

    // A click on either source label opens the folder selection.
    int asked = 0;
    controller.SetFolderChooser([&](QString& folder) {
        folder = folders.Legacy();
        return ++asked > 0;
    });
    Click(window.findChild<QLabel*>("sourceData"));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(window.LabelText("sourceFolder"), folders.Legacy() + "/");
    EXPECT_EQ(window.LabelText("sourceData"), folders.LegacyData());
    EXPECT_EQ(window.LabelText("sourceName"), "Ann's Café songs");
    EXPECT_EQ(window.LabelText("sourceVersion"), "300");
    ASSERT_TRUE(window.ConvertAction()->isEnabled());

    window.ConvertAction()->trigger();
    EXPECT_EQ(window.LoggedLines(), controller.LogLines());
    EXPECT_EQ(window.LoggedLines().last(), "All files converted OK");
    EXPECT_FALSE(window.ConvertAction()->isEnabled());
    EXPECT_TRUE(window.StatusStripText().isEmpty());
    EXPECT_FALSE(window.StatusHighlighted());

    controller.ShowStatus("song.db 1233");
    EXPECT_EQ(window.StatusStripText(), " song.db 1233");
    EXPECT_TRUE(window.StatusHighlighted());
    controller.ShowStatus(QString());
    EXPECT_FALSE(window.StatusHighlighted());

    // Escape asks before the program ends.
    dialogs.QueueAnswer("No");
    PressEscape(&window);
    EXPECT_TRUE(window.isVisible());
    PressEscape(&window);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(dialogs.TextsOf("ASK").mid(1),
              QStringList({"OK to exit program? -> No", "OK to exit program? -> Yes"}));
}

TEST(ConverterWindowView, MessageBoxesCarryTheCaptionOfTheirKindAndShowTextAsItIs) {
    ConverterDialogs dialogs;
    struct Seen {
        QString caption;
        QString text;
        bool onTop = true;
    } seen;
    auto answer = [&](QMessageBox::StandardButton button) {
        test::OnNextModal([&seen, button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            seen = {box->windowTitle(), box->text(), box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)};
            box->button(button)->click();
        });
    };
    answer(QMessageBox::Ok);
    dialogs.ShowInfo("Rock & Roll & Blues");
    EXPECT_EQ(seen.caption, "Information");
    EXPECT_EQ(seen.text, "Rock & Roll & Blues");
    EXPECT_FALSE(seen.onTop);
    answer(QMessageBox::No);
    EXPECT_EQ(dialogs.AskYesNoCancel("OK to exit program?"), 'N');
    EXPECT_EQ(seen.caption, "Confirm");
    answer(QMessageBox::Yes);
    EXPECT_EQ(dialogs.AskYesNoCancel("Conversion in progress, OK to abort?"), 'Y');
    answer(QMessageBox::Ok);
    dialogs.ShowError("refused");
    EXPECT_EQ(seen.caption, "Error");
}

TEST(ConverterWindowView, AboutWindowNamesTheProgramAndItsFile) {
    ConverterAboutWindow about;
    about.ShowAtCursor();
    EXPECT_TRUE(about.isVisible());
    EXPECT_FALSE(about.isModal());
    const QStringList texts = [&] {
        QStringList all;
        for (const QLabel* label : about.findChildren<QLabel*>()) {
            all << label->text();
        }
        return all;
    }();
    EXPECT_TRUE(texts.contains("SWCONV"));
    EXPECT_TRUE(texts.contains(QCoreApplication::applicationFilePath().toLower()));
    const QString text = about.findChild<QLabel*>("aboutText")->text();
    EXPECT_TRUE(
        text.startsWith("converts a Sonwick database \nfrom Borland/Paradox\nto Firebird, for Sonwick3\n\n"
                        "version 4 ( May 2012 )\n"));
    about.close();
}

}  // namespace
}  // namespace sw
