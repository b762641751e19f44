#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "../ModalDriver.h"
#include "foundation/QuietChange.h"
#include "windows/main/QtDialogs.h"
#include "windows/main/WindowHelpers.h"

namespace sw {
namespace {

using test::OnNextModal;

QRect Screen() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

void PressEscape(QWidget* window) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window, &press);
}

class DialogBoxes : public ::testing::Test {
protected:
    QtDialogs m_dialogs{"Sonwick3"};
    ScopedDialogs m_installed{m_dialogs};
};

TEST_F(DialogBoxes, InfoShowsAmpersandsLiterallyUnderTheProgramTitle) {
    QCursor::setPos(100, 100);
    QString shownText;
    QString caption;
    bool onTop = false;
    OnNextModal([&](QWidget* box) {
        caption = box->windowTitle();
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (label->text().contains("Garfunkel")) {
                shownText = label->text();
                EXPECT_EQ(label->textFormat(), Qt::PlainText);
            }
        }
        static_cast<QDialog*>(box)->accept();
    });
    ShowInfo("Simon & Garfunkel");
    EXPECT_EQ(shownText, "Simon & Garfunkel");
    EXPECT_EQ(caption, "Sonwick3");
    EXPECT_TRUE(onTop);
}

TEST_F(DialogBoxes, CaptionOverrideAppliesToQuestionsButNotToOkCancel) {
    QStringList captions;
    m_dialogs.SetMessageCaption("Notepad");
    for (int i = 0; i < 2; ++i) {
        OnNextModal([&](QWidget* box) {
            captions << box->windowTitle();
            static_cast<QDialog*>(box)->reject();
        });
        if (i == 0) {
            AskYesNoCancel("q");
        } else {
            AskOkCancel("q");
        }
    }
    m_dialogs.SetMessageCaption("");
    EXPECT_EQ(captions, (QStringList{" Notepad", "Sonwick3"}));
}

TEST_F(DialogBoxes, BoxAtTheBottomRightCornerStaysOnTheScreen) {
    const QRect screen = Screen();
    QCursor::setPos(screen.right(), screen.bottom());
    QRect frame;
    OnNextModal([&](QWidget* box) {
        frame = box->frameGeometry();
        static_cast<QDialog*>(box)->accept();
    });
    ShowInfo("A box opened in the corner");
    EXPECT_EQ(frame.right(), screen.right());
    EXPECT_EQ(frame.bottom(), screen.bottom());
    EXPECT_TRUE(screen.contains(frame));
}

TEST_F(DialogBoxes, SecondBoxOpensWhereTheFirstWasLeftWhenTheMouseStayed) {
    QCursor::setPos(50, 60);
    OnNextModal([](QWidget* box) {
        box->move(300, 200);
        static_cast<QDialog*>(box)->accept();
    });
    ShowInfo("first");
    QPoint second;
    OnNextModal([&](QWidget* box) {
        second = box->pos();
        static_cast<QDialog*>(box)->accept();
    });
    ShowInfo("second");
    EXPECT_EQ(second, QPoint(300, 200));
}

TEST_F(DialogBoxes, EscapeAndClosingAnswerNo) {
    OnNextModal([](QWidget* box) { PressEscape(box); });
    EXPECT_FALSE(Confirm("Escape?"));
    OnNextModal([](QWidget* box) { box->close(); });
    EXPECT_FALSE(Confirm("Closed?"));
    OnNextModal([](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    EXPECT_TRUE(Confirm("Yes?"));
}

TEST_F(DialogBoxes, ChoiceEscapeIsCancelAndButtonsAnswerTheirNumber) {
    OnNextModal([](QWidget* box) { PressEscape(box); });
    EXPECT_EQ(AskChoice("Which one?", "First", "Second"), 0);
    OnNextModal([](QWidget* box) {
        for (QPushButton* button : box->findChildren<QPushButton*>()) {
            if (button->text() == "Rock && Roll") {
                button->click();
            }
        }
    });
    EXPECT_EQ(AskChoice("Which one?", "Jazz", "Rock & Roll"), 2);
}

TEST_F(DialogBoxes, InputIntegerOnAnEmptyBoxIsZero) {
    OnNextModal([](QWidget* box) {
        auto* edit = box->findChild<QLineEdit*>();
        EXPECT_EQ(edit->text(), "");
        static_cast<QDialog*>(box)->accept();
    });
    int value = -5;
    EXPECT_TRUE(InputInteger("How many days?", value));
    EXPECT_EQ(value, 0);

    OnNextModal([](QWidget* box) {
        auto* edit = box->findChild<QLineEdit*>();
        EXPECT_EQ(edit->text(), "10");
        EXPECT_EQ(edit->selectedText(), "10");
        edit->setText("31");
        static_cast<QDialog*>(box)->accept();
    });
    value = 10;
    EXPECT_TRUE(InputInteger("How many days?", value));
    EXPECT_EQ(value, 31);

    OnNextModal([](QWidget* box) {
        EXPECT_EQ(box->findChild<QLineEdit*>()->text(), "kept");
        PressEscape(box);
    });
    QString text = "kept";
    EXPECT_FALSE(InputTextLimited("Year", text, 4));
    EXPECT_EQ(text, "kept");
}

// The limit counts characters as the catalogue's columns do, and a cut is never silent.
TEST_F(DialogBoxes, ALimitedBoxCountsCharactersAndSaysWhenItCutsText) {
    const QString smile = QString::fromUcs4(U"\U0001F600", 1);
    struct Case {
        const char* name;
        QString typed;
        QString kept;
        bool cut;
    };
    const std::vector<Case> cases{
        {"at the limit", "abcd", "abcd", false},
        {"four wide characters", smile.repeated(4), smile.repeated(4), false},
        {"pasted beyond", "abcdefgh", "abcd", true},
        {"wide beyond", smile.repeated(5), smile.repeated(4), true},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        OnNextModal([&](QWidget* box) {
            auto* edit = box->findChild<QLineEdit*>();
            auto* cut = box->findChild<QLabel*>("cut");
            ASSERT_NE(cut, nullptr);
            EXPECT_FALSE(cut->isVisibleTo(box));
            edit->selectAll();
            edit->insert(each.typed);
            EXPECT_EQ(edit->text(), each.kept);
            EXPECT_EQ(cut->isVisibleTo(box), each.cut);
            if (each.cut) {
                EXPECT_EQ(cut->text(), "At most 4 characters: the rest was cut");
            }
            static_cast<QDialog*>(box)->accept();
        });
        QString text;
        EXPECT_TRUE(InputTextLimited("Code", text, 4));
        EXPECT_EQ(text, each.kept);
    }
}

TEST_F(DialogBoxes, FlashMessagesStackAndDisappearAfterTheLastOnesTime) {
    m_dialogs.SetFlashInterval(200);
    FlashMessage("first");
    FlashMessage("second");
    EXPECT_EQ(m_dialogs.LastFlashText(), "first\r\nsecond");
    FlashWait();
    FlashMessage("third");
    EXPECT_EQ(m_dialogs.LastFlashText(), "third");
    FlashMessage("");
    FlashWait();
    FlashMessage("fourth");
    EXPECT_EQ(m_dialogs.LastFlashText(), "fourth");
    FlashHide();
}

TEST(WindowHelpers, EditColourComesBackAfterTwoDisablings) {
    QLineEdit edit;
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, QColor(10, 20, 30));
    edit.setPalette(palette);
    SetEditEnabled(&edit, false);
    SetEditEnabled(&edit, false);
    EXPECT_NE(edit.palette().color(QPalette::Base), QColor(10, 20, 30));
    SetEditEnabled(&edit, true);
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(10, 20, 30));
}

TEST(WindowHelpers, QuietCheckToTheSameStateDoesNotSwallowTheNextClick) {
    QCheckBox box;
    box.setChecked(true);
    TakeQuietChange();
    SetCheckQuietly(&box, true);
    EXPECT_FALSE(TakeQuietChange());
    SetCheckQuietly(&box, false);
    EXPECT_TRUE(TakeQuietChange());
    EXPECT_FALSE(box.isChecked());
}

TEST(WindowHelpers, QuietClearIsIgnoredOnceAndNeverSwallowsTheNextTyping) {
    for (const QString& start : {QString(), QString("old text")}) {
        QLineEdit edit(start);
        QStringList seen;
        QObject::connect(&edit, &QLineEdit::textChanged, [&](const QString& text) {
            if (!TakeQuietChange()) {
                seen << text;
            }
        });
        TakeQuietChange();
        ClearEditQuietly(&edit);
        EXPECT_TRUE(edit.text().isEmpty());
        // What the user types next is a change of theirs, whether or not the box was empty.
        QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
        QApplication::sendEvent(&edit, &key);
        EXPECT_EQ(seen, QStringList{"x"}) << "starting from \"" << start.toStdString() << "\"";
    }
}

}  // namespace
}  // namespace sw
