#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "../ModalDriver.h"
#include "foundation/ScriptedDialogs.h"
#include "windows/days/NotepadWindow.h"

namespace sw {
namespace {

using test::OnNextModal;

void Press(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class NotepadWindowTest : public ::testing::Test {
protected:
    NotepadWindowTest() : m_installed(m_dialogs) {
        QFile file(Folder() + "NPAD.TXT");
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("rock and ROCK");
        file.close();
        m_window.Create();
    }
    ~NotepadWindowTest() override { m_window.hide(); }

    QString Folder() const { return m_dir.path() + "/"; }

    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    ManualClock m_clock;
    NotepadWindow m_window{Folder(), m_clock};
};

TEST_F(NotepadWindowTest, OpensPaleGreenWithTheCaretAtTheEndAndFindsWithF3) {
    m_window.OpenFromMainMenu(false);
    QPlainTextEdit* text = m_window.TextArea();
    EXPECT_EQ(m_window.windowTitle(), "Sonwick3 - Notepad");
    EXPECT_EQ(text->palette().color(QPalette::Base), QColor(202, 255, 202));
    EXPECT_EQ(text->toPlainText(), "rock and ROCK");
    EXPECT_EQ(text->textCursor().position(), 13);
    EXPECT_FALSE(text->isReadOnly());
    using C = NotepadCommand;
    for (const auto& [command, caption] :
         {std::pair{C::Close, "Close"}, std::pair{C::Save, "Save"}, std::pair{C::Now, "Now!"},
          std::pair{C::ToClipboard, "to Clipboard"}, std::pair{C::ToFile, "to File"},
          std::pair{C::Font, "Font"}, std::pair{C::ScrollToCursor, "Scroll-to-cursor"},
          std::pair{C::Clear, "Clear"}, std::pair{C::Search, "Search"}}) {
        EXPECT_EQ(m_window.Command(command)->text(), caption);
    }

    m_dialogs.QueueAnswer("ROCK");
    m_window.Command(NotepadCommand::Search)->trigger();
    EXPECT_EQ(text->textCursor().selectionStart(), 0);
    Press(text, Qt::Key_F3);
    EXPECT_EQ(text->textCursor().selectionStart(), 9);
    EXPECT_EQ(text->textCursor().selectedText(), "ROCK");
    Press(text, Qt::Key_F3);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"\"rock\" - no more instances"});
}

TEST_F(NotepadWindowTest, TypingThenEscapeSavesAndHidesAndAReadOnlyCatalogueLocksTheText) {
    m_window.OpenFromMainMenu(false);
    QPlainTextEdit* text = m_window.TextArea();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Exclam, Qt::NoModifier, "!");
    QApplication::sendEvent(text, &key);
    EXPECT_TRUE(m_window.Controller().AutosavePending());
    Press(text, Qt::Key_Escape);
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(ReadBytes(Folder() + "NPAD.TXT"), "rock and ROCK!");
    // Shown again without a change, nothing is pending; a read-only catalogue says so and makes
    // the text read-only.
    m_window.OpenFromMainMenu(true);
    EXPECT_FALSE(m_window.Controller().AutosavePending());
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{"Cannot make changes, database is read-only\\n( see menu option \"Database\")"});
}

TEST_F(NotepadWindowTest, TheFontDialogAndTheSaveDialogDriveTheirCommands) {
    m_window.OpenFromMainMenu(false);
    QFont chosen("DejaVu Serif", 15);
    chosen.setItalic(true);
    OnNextModal([&](QWidget* dialog) {
        auto* fonts = qobject_cast<QFontDialog*>(dialog);
        ASSERT_NE(fonts, nullptr);
        fonts->setCurrentFont(chosen);
        fonts->accept();
    });
    m_window.Command(NotepadCommand::Font)->trigger();
    EXPECT_TRUE(m_window.Controller().SettingsChanged());
    EXPECT_EQ(m_window.TextArea()->font().pointSize(), 15);
    EXPECT_TRUE(m_window.TextArea()->font().italic());

    QString startFolder;
    OnNextModal([&](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        startFolder = files->directory().absolutePath();
        // Typed, as a user would: the dialog ignores selectFile while its name box has the focus.
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(Folder() + "notes");
        QMetaObject::invokeMethod(files, "accept");
    });
    m_window.Command(NotepadCommand::ToFile)->trigger();
    EXPECT_EQ(startFolder, m_dir.path());
    EXPECT_EQ(ReadBytes(Folder() + "notes.txt"), "rock and ROCK");
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Exported OK"});

    m_window.close();
    EXPECT_TRUE(QFile::exists(Folder() + "npad.ini"));
    EXPECT_EQ(ReadNotepadSettings(Folder() + "npad.ini").font.size, 15);
}

}  // namespace
}  // namespace sw
