#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <optional>

#include "foundation/ScriptedDialogs.h"
#include "windows/days/NotepadController.h"

namespace sw {
namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

/// A text area in memory that reports its changes as the real one does. The selection runs from
/// the caret over `selection` characters.
class FakeNotepad : public NotepadDisplay {
public:
    QString Text() const override { return text; }
    void SetText(const QString& value) override {
        text = value;
        Select(0, 0);
        controller->TextChanged();
    }
    int CaretPosition() const override { return caret; }
    int SelectionStart() const override { return caret; }
    int SelectionLength() const override { return selection; }
    void Select(int start, int length) override {
        caret = std::clamp(start, 0, static_cast<int>(text.size()));
        selection = length;
    }
    void InsertAtCaret(const QString& value) override {
        text.replace(caret, selection, value);
        Select(caret + static_cast<int>(value.size()), 0);
        controller->TextChanged();
    }
    void ScrollToCaret() override {}
    void CopyAllToClipboard() override {}
    void ApplyFont(const NotepadFont& value) override { font = value; }
    void ApplyPlacement(int top, int left, int width, int height) override {
        placement = {top, left, width, height};
    }
    void SetReadOnly(bool) override {}
    bool ChooseFont(NotepadFont& value) override {
        value = fontChoice.value_or(value);
        return fontChoice.has_value();
    }
    QString ChooseExportFile(const QString& folder) override {
        exportFolder = folder;
        return exportChoice;
    }
    void StartAutosaveTimer(int milliseconds) override { timerMs = milliseconds; }
    void StopAutosaveTimer() override { timerMs = -1; }

    NotepadController* controller = nullptr;
    QString text;
    int caret = 0;
    int selection = 0;
    NotepadFont font;
    std::array<int, 4> placement{};
    std::optional<NotepadFont> fontChoice;
    QString exportChoice;
    QString exportFolder;
    int timerMs = -1;
};

/// Keeps the caption each message and question was shown with.
class CaptionDialogs : public ScriptedDialogs {
public:
    void ShowInfo(const QString& text) override {
        captions << MessageCaption();
        ScriptedDialogs::ShowInfo(text);
    }
    char AskYesNoCancel(const QString& text) override {
        captions << MessageCaption();
        return ScriptedDialogs::AskYesNoCancel(text);
    }
    QStringList captions;
};

class NotepadTest : public ::testing::Test {
protected:
    NotepadTest() : m_installed(m_dialogs) {}

    QString Folder() const { return m_dir.path() + "/"; }
    QString TextFile() const { return Folder() + "NPAD.TXT"; }
    QString SettingsFile() const { return Folder() + "npad.ini"; }

    /// A notepad over `folder` (the temporary program folder unless given), created and shown.
    void Open(const QString& folder = {}) {
        m_pad.emplace(folder.isEmpty() ? Folder() : folder, m_clock);
        m_display = FakeNotepad();
        m_display.controller = &*m_pad;
        m_pad->SetDisplay(&m_display);
        m_pad->Create();
        m_pad->Shown();
    }
    NotepadController& Pad() { return *m_pad; }
    void Type(const QString& text) { m_display.InsertAtCaret(text); }
    /// What "Save" reports.
    QString SaveState() {
        m_dialogs.ClearTranscript();
        m_pad->ReportSaveState();
        return m_dialogs.Transcript().join('\n');
    }
    static QString Countdown(const char* seconds) {
        return QString("INFO: Changes will anyway be saved automatically in ") + seconds +
               ",\\nor when the Notepad is closed.";
    }

    QTemporaryDir m_dir;
    ManualClock m_clock;
    CaptionDialogs m_dialogs;
    ScopedDialogs m_installed;
    FakeNotepad m_display;
    std::optional<NotepadController> m_pad;
};

TEST_F(NotepadTest, AutosaveWritesFifteenSecondsAfterTheFirstChange) {
    WriteBytes(TextFile(), "first line\n");
    Open();
    EXPECT_EQ(m_display.caret, 11);  // at the end
    EXPECT_EQ(SaveState(), "INFO: There are no changes to save");
    EXPECT_EQ(m_dialogs.captions, QStringList{"Notepad"});
    EXPECT_EQ(m_dialogs.MessageCaption(), "");

    Type("a");
    EXPECT_EQ(m_display.timerMs, 15000);
    m_clock.Advance(5000);
    Type("b");  // a further change does not move the save
    EXPECT_EQ(SaveState(), Countdown("10 seconds"));
    m_clock.Advance(4000);
    EXPECT_EQ(SaveState(), Countdown("6 seconds"));
    m_clock.Advance(4999);
    EXPECT_EQ(SaveState(), Countdown("1 second"));
    m_clock.Advance(1000);
    EXPECT_EQ(SaveState(), Countdown("0 seconds"));

    // A timer that fires a moment early waits for the rest.
    Pad().AutosaveTimerFired();
    EXPECT_EQ(ReadBytes(TextFile()), "first line\n");
    EXPECT_EQ(m_display.timerMs, 1);
    m_clock.Advance(1);
    Pad().AutosaveTimerFired();
    EXPECT_EQ(ReadBytes(TextFile()), "first line\nab");
    EXPECT_EQ(m_display.timerMs, -1);
    EXPECT_EQ(SaveState(), "INFO: All changes have already been saved");
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(Folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"NPAD.TXT"});
}

TEST_F(NotepadTest, ClosingAtOnceWritesAndReopeningShowsTheText) {
    Open();
    Type("typed and closed");
    Pad().Closed();
    EXPECT_EQ(ReadBytes(TextFile()), "typed and closed");
    Open();
    EXPECT_EQ(m_display.text, "typed and closed");
    // Showing the window again reads the file again without counting as a change.
    m_pad->Shown();
    EXPECT_EQ(SaveState(), "INFO: There are no changes to save");
}

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    QString shown;
    QByteArray savedAfterTypingX;
};

void PrintTo(const DecodeCase& c, std::ostream* out) {
    *out << c.name;
}

class NotepadFiles : public NotepadTest, public ::testing::WithParamInterface<DecodeCase> {};

TEST_P(NotepadFiles, ReadsUtf8AndThePreviousEditionsWindows1252) {
    const DecodeCase& c = GetParam();
    WriteBytes(TextFile(), c.bytes);
    Open();
    EXPECT_EQ(m_display.text, c.shown);
    Type("x");
    Pad().ProgramEnding();
    EXPECT_EQ(ReadBytes(TextFile()), c.savedAfterTypingX);
}

INSTANTIATE_TEST_SUITE_P(
    Notepad, NotepadFiles,
    ::testing::Values(DecodeCase{"Utf8", "caf\xC3\xA9 \xE2\x98\xBA\n", "caf\u00E9 \u263A\n",
                                 "caf\xC3\xA9 \xE2\x98\xBA\nx"},
                      DecodeCase{"Windows1252WithCrLf", "caf\xE9 \x93q\x94 \x80\r\nline 2\r\n",
                                 "caf\u00E9 \u201Cq\u201D \u20AC\nline 2\n",
                                 "caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x82\xAC\r\nline 2\r\nx"},
                      DecodeCase{"Utf8ByteOrderMark", "\xEF\xBB\xBFnote", "note", "notex"}),
    [](const ::testing::TestParamInfo<DecodeCase>& param) { return param.param.name; });

struct SettingsCase {
    const char* name;
    std::optional<QByteArray> ini;  // nullopt: no npad.ini
    NotepadFont font;
    std::array<int, 4> placement;  // top, left, width, height; -1 as designed
};

void PrintTo(const SettingsCase& c, std::ostream* out) {
    *out << c.name;
}

class NotepadSettingsTable : public NotepadTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(NotepadSettingsTable, AppliesTheFontAndAValidPlace) {
    const SettingsCase& c = GetParam();
    if (c.ini) {
        WriteBytes(SettingsFile(), *c.ini);
    }
    Open();
    EXPECT_EQ(m_display.font, c.font);
    EXPECT_EQ(m_display.placement, c.placement);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty()) << m_dialogs.Transcript().join('\n').toStdString();
    // Reading never writes.
    Pad().Closed();
    EXPECT_EQ(QFile::exists(SettingsFile()), c.ini.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Notepad, NotepadSettingsTable,
    ::testing::Values(SettingsCase{"MissingFile", std::nullopt, NotepadFont{}, {-1, -1, -1, -1}},
                      SettingsCase{"EveryKey",
                                   "[notepad]\nFONTNAME=Courier New\nFONTSIZE=12\nFONTBOLD=1\nFONTITALIC=1\n"
                                   "FONTUNDERLINE=1\nFONTSTRIKEOUT=1\nFORMTOP=0\nFORMLEFT=30\nFORMWIDTH=640\n"
                                   "FORMHEIGHT=480\n",
                                   NotepadFont{"Courier New", 12, true, true, true, true},
                                   {0, 30, 640, 480}},
                      SettingsCase{"InvalidPlace",
                                   "[notepad]\nFORMTOP=-5\nFORMWIDTH=0\nFORMHEIGHT=-20\n",
                                   NotepadFont{},
                                   {-1, -1, -1, -1}}),
    [](const ::testing::TestParamInfo<SettingsCase>& param) { return param.param.name; });

TEST_F(NotepadTest, FontAndSizeChangesAreWrittenMovesAndCancelsAreNot) {
    Open();
    Pad().WindowResized(500, 400, false);  // placed while hidden
    Pad().WindowMoved(20, 10);
    Pad().ChooseFont();  // the dialog left with Cancel
    Pad().Closed();
    EXPECT_FALSE(QFile::exists(SettingsFile()));

    m_display.fontChoice = NotepadFont{"DejaVu Serif", 14, false, true, false, false};
    Pad().ChooseFont();
    EXPECT_EQ(m_display.font, *m_display.fontChoice);
    Pad().Closed();
    EXPECT_EQ(ReadNotepadSettings(SettingsFile()),
              (NotepadSettings{*m_display.fontChoice, 20, 10, 500, 400}));

    Pad().WindowResized(600, 400, true);
    EXPECT_TRUE(Pad().ProgramEnding());
    EXPECT_EQ(ReadNotepadSettings(SettingsFile()).width, 600);
}

TEST_F(NotepadTest, NowInsertsTheRoundedDateAndTimeAtTheCaret) {
    WriteBytes(TextFile(), "ab");
    Open();
    m_display.Select(1, 0);
    m_clock.SetLocalNow(45293.0 + (3 * 3600 + 4 * 60 + 59.7) / 86400.0);  // 2024-01-02 03:04:59.7
    Pad().InsertNow();
    EXPECT_EQ(m_display.text, "a2024-01-02 03:05 b");
    EXPECT_TRUE(Pad().AutosavePending());
}

struct ExportCase {
    const char* name;
    QString chosen;          // empty: dialog cancelled
    QStringList existing;    // files there before, holding "old"
    QStringList answers;     // answers to our own question
    QString written;         // the file that gets the text; empty: none
    QStringList transcript;  // %1 stands for the export folder
};

void PrintTo(const ExportCase& c, std::ostream* out) {
    *out << c.name;
}

class ExportTable : public NotepadTest, public ::testing::WithParamInterface<ExportCase> {};

TEST_P(ExportTable, WritesTheChosenNameWithTxtAppendedWhenMissing) {
    const ExportCase& c = GetParam();
    const QString out = Folder() + "out/";
    QDir().mkpath(out);
    for (const QString& name : c.existing) {
        WriteBytes(out + name, "old");
    }
    WriteBytes(TextFile(), "exported");
    Open();
    m_display.exportChoice = c.chosen.isEmpty() ? QString() : out + c.chosen;
    m_dialogs.QueueAnswers(c.answers);

    Pad().ExportToFile();

    EXPECT_EQ(m_display.exportFolder, Folder());
    EXPECT_EQ(m_dialogs.Transcript().join('\n'), c.transcript.join('\n').replace("%1", out));
    QStringList expected = c.existing;
    if (!c.written.isEmpty() && !expected.contains(c.written)) {
        expected << c.written;
    }
    expected.sort();
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    for (const QString& name : expected) {
        EXPECT_EQ(ReadBytes(out + name), name == c.written ? "exported" : "old") << name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Notepad, ExportTable,
    ::testing::Values(
        ExportCase{"NameWithoutExtension", "notes", {}, {}, "notes.txt", {"FLASH: Exported OK"}},
        ExportCase{"UpperCaseTxtKept", "notes.TXT", {}, {}, "notes.TXT", {"FLASH: Exported OK"}},
        ExportCase{"OtherExtension", "notes.md", {}, {}, "notes.md.txt", {"FLASH: Exported OK"}},
        // The dialog itself asked before replacing the name it was given.
        ExportCase{"ChosenFileReplaced", "a.txt", {"a.txt"}, {}, "a.txt", {"FLASH: Exported OK"}},
        ExportCase{
            "AppendedNameReplacedOnYes",
            "notes",
            {"notes", "notes.txt"},
            {"Yes"},
            "notes.txt",
            {"ASK: %1notes.txt already exists.\\nDo you want to replace it? -> Yes", "FLASH: Exported OK"}},
        ExportCase{"AppendedNameKeptOnNo",
                   "notes",
                   {"notes.txt"},
                   {"No"},
                   "",
                   {"ASK: %1notes.txt already exists.\\nDo you want to replace it? -> No"}},
        ExportCase{"DialogCancelled", "", {"notes.txt"}, {}, "", {}}),
    [](const ::testing::TestParamInfo<ExportCase>& param) { return param.param.name; });

struct ClearCase {
    const char* name;
    QStringList answers;
    QStringList asked;
    bool cleared;
};

void PrintTo(const ClearCase& c, std::ostream* out) {
    *out << c.name;
}

class ClearTable : public NotepadTest, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(ClearTable, EmptiesTheTextOnlyAfterTwoYesEvenWhenReadOnly) {
    const ClearCase& c = GetParam();
    WriteBytes(TextFile(), "keep me");
    Open();
    Pad().SetReadOnly(true);
    m_dialogs.QueueAnswers(c.answers);

    Pad().ClearText();

    EXPECT_EQ(m_dialogs.TextsOf("ASK"), c.asked);
    EXPECT_EQ(m_dialogs.captions, QStringList(c.asked.size(), "Notepad"));
    m_clock.Advance(15000);
    Pad().AutosaveTimerFired();
    EXPECT_EQ(ReadBytes(TextFile()), c.cleared ? "" : "keep me");
}

INSTANTIATE_TEST_SUITE_P(
    Notepad, ClearTable,
    ::testing::Values(
        ClearCase{"YesYes",
                  {"Yes", "Yes"},
                  {"Clear the notepad - are you sure ? -> Yes", "... really sure ? (last chance) -> Yes"},
                  true},
        ClearCase{"YesNo",
                  {"Yes", "No"},
                  {"Clear the notepad - are you sure ? -> Yes", "... really sure ? (last chance) -> No"},
                  false},
        ClearCase{"No", {"No"}, {"Clear the notepad - are you sure ? -> No"}, false}),
    [](const ::testing::TestParamInfo<ClearCase>& param) { return param.param.name; });

TEST_F(NotepadTest, SearchFindsEveryInstanceIgnoringCaseThenSaysNoMore) {
    WriteBytes(TextFile(), "rock and ROCK");
    Open();
    m_dialogs.QueueAnswer("Rock");
    Pad().Search();  // the caret was at the end: the search starts at the beginning
    EXPECT_EQ(m_display.caret, 0);
    EXPECT_EQ(m_display.selection, 4);
    Pad().FindNext();
    EXPECT_EQ(m_display.caret, 9);
    Pad().FindNext();
    EXPECT_EQ(m_display.caret, 9);
    EXPECT_EQ(m_dialogs.Transcript(),
              (QStringList{"INPUT: Search for / (afterwards use F3 for Find Next) -> Rock",
                           "INFO: \"rock\" - no more instances"}));
    EXPECT_EQ(m_dialogs.captions, QStringList{""});  // the program's own caption

    // Without a selection the search starts at the caret; a text that is not there is "not found".
    m_display.Select(5, 0);
    m_dialogs.ClearTranscript();
    m_dialogs.QueueAnswers({"<ok>", "Jazz", "<cancel>", ""});
    Pad().Search();
    EXPECT_EQ(m_display.caret, 9);
    Pad().Search();
    Pad().Search();
    Pad().Search();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"\"jazz\" - not found"});
    EXPECT_EQ(Pad().SearchText(), "jazz");
}

/// The program folder is a path whose parent is a plain file: nothing can be created in it, even by
/// root. Then the folder is made real, and the text that stayed in the window is written.
TEST_F(NotepadTest, ATextThatCannotBeWrittenStaysUnsavedUntilItCanBe) {
    const QString blocker = m_dir.path() + "/blocked";
    WriteBytes(blocker, "a file, not a folder");
    const QString folder = blocker + "/";
    Open(folder);
    Type("precious");
    m_display.fontChoice = NotepadFont{"Courier", 11};
    Pad().ChooseFont();

    m_clock.Advance(15000);
    Pad().AutosaveTimerFired();
    const QStringList errors = m_dialogs.TextsOf("ERROR");
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[0].contains("npad.ini")) << errors[0].toStdString();
    EXPECT_TRUE(errors[1].contains("NPAD.TXT") && errors[1].endsWith("Not a directory"))
        << errors[1].toStdString();
    EXPECT_EQ(m_display.text, "precious");
    EXPECT_TRUE(Pad().AutosavePending());

    // "Save" tries again at once and says nothing else while it fails; closing and showing the
    // window again keeps the unsaved text rather than the file's.
    m_dialogs.ClearTranscript();
    Pad().ReportSaveState();
    EXPECT_EQ(m_dialogs.TextsOf("ERROR").size(), 2);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty());
    EXPECT_FALSE(Pad().ProgramEnding());
    m_pad->Shown();
    EXPECT_EQ(m_display.text, "precious");

    ASSERT_TRUE(QFile::remove(blocker));
    ASSERT_TRUE(QDir().mkpath(blocker));
    m_dialogs.ClearTranscript();
    Pad().Closed();
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty()) << m_dialogs.Transcript().join('\n').toStdString();
    EXPECT_EQ(ReadBytes(folder + "NPAD.TXT"), "precious");
    EXPECT_EQ(ReadNotepadSettings(folder + "npad.ini").font.name, "Courier");
}

TEST_F(NotepadTest, ATextFileInAnotherLetterCaseIsTheSameFile) {
    WriteBytes(Folder() + "npad.txt", "lower-case name");
    Open();
    Type(".");
    Pad().Closed();
    EXPECT_EQ(ReadBytes(Folder() + "npad.txt"), "lower-case name.");
    EXPECT_FALSE(QFile::exists(TextFile()));
}

}  // namespace
}  // namespace sw
