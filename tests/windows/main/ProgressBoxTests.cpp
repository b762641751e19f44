#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <functional>
#include <optional>

#include "core/CoreSession.h"
#include "foundation/ScriptedDialogs.h"
#include "windows/main/MainWindow.h"

namespace sw {
namespace {

/// A key pressed where the user's keys go in a progress box: its focused widget, else the box.
void PressKey(QProgressDialog& box, Qt::Key key) {
    QWidget* target = box.focusWidget() != nullptr ? box.focusWidget() : &box;
    QKeyEvent press(QEvent::KeyPress, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

struct ProgressKeyCase {
    const char* name;
    /// What the user does while the run is under way.
    std::function<void(QProgressDialog&)> act;
    bool cancels;
};

void PrintTo(const ProgressKeyCase& c, std::ostream* os) {
    *os << c.name;
}

/// The Tags menu's re-read, run through the main window's own progress box: the run may ask
/// questions that Return answers, so a Return that reaches the box must not end the run.
class RereadProgressKeys : public ::testing::TestWithParam<ProgressKeyCase> {
protected:
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    CoreSession m_session;
    MainWindow m_window{m_session};
};

TEST_P(RereadProgressKeys, OnlyAClickOrEscapeCancelsTheRun) {
    const ProgressKeyCase& c = GetParam();
    m_session.settings.UNICODETAGS = false;
    std::optional<bool> goesOn;
    int boxes = 0;
    m_window.Hooks().rereadTags = [&](const TagRereadRequest&, const TagRereadProgress& progress) {
        EXPECT_TRUE(progress(0, 10));
        const QList<QProgressDialog*> found = m_window.findChildren<QProgressDialog*>();
        boxes = static_cast<int>(found.size());
        if (found.size() == 1) {
            QProgressDialog& box = *found.front();
            // Shown at once rather than after its delay, and the Cancel button given the focus
            // a dialog gives its first button.
            box.show();
            QCoreApplication::processEvents();
            for (QPushButton* button : box.findChildren<QPushButton*>()) {
                button->setFocus();
            }
            c.act(box);
            goesOn = progress(1, 10);
        }
        return TagRereadCounts{};
    };
    emit m_window.Menu(MainEntry::TagsMenu)->aboutToShow();
    QAction* unicode = m_window.TagSwitchAction(&Settings::UNICODETAGS);
    ASSERT_NE(unicode, nullptr);
    m_dialogs.QueueAnswer("Yes");
    unicode->trigger();

    ASSERT_EQ(boxes, 1);
    ASSERT_TRUE(goesOn.has_value());
    EXPECT_EQ(*goesOn, !c.cancels);
    EXPECT_TRUE(m_window.findChildren<QProgressDialog*>().isEmpty()) << "the box goes with its run";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RereadProgressKeys,
    ::testing::Values(
        ProgressKeyCase{"Return", [](QProgressDialog& box) { PressKey(box, Qt::Key_Return); }, false},
        ProgressKeyCase{"EnterOnTheKeypad", [](QProgressDialog& box) { PressKey(box, Qt::Key_Enter); },
                        false},
        ProgressKeyCase{"Space", [](QProgressDialog& box) { PressKey(box, Qt::Key_Space); }, true},
        ProgressKeyCase{"Escape", [](QProgressDialog& box) { PressKey(box, Qt::Key_Escape); }, true},
        ProgressKeyCase{"CancelClicked",
                        [](QProgressDialog& box) {
                            for (QPushButton* button : box.findChildren<QPushButton*>()) {
                                button->click();
                            }
                        },
                        true}),
    [](const ::testing::TestParamInfo<ProgressKeyCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace sw
