#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <optional>

#include "core/IniFile.h"
#include "foundation/ScriptedDialogs.h"
#include "windows/NotepadController.h"

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

/// A text area in memory that reports its changes as the real one does.
class FakeNotepad : public NotepadDisplay {
public:
    QString Text() const override { return text; }
    void SetText(const QString& value) override {
        text = value;
        caret = 0;
        selectionLength = 0;
        Changed();
    }
    int CaretPosition() const override { return caret; }
    int SelectionStart() const override { return caret; }
    int SelectionLength() const override { return selectionLength; }
    void Select(int start, int length) override {
        caret = std::clamp(start, 0, static_cast<int>(text.size()));
        selectionLength = length;
    }
    void InsertAtCaret(const QString& value) override {
        text.remove(caret, selectionLength);
        text.insert(caret, value);
        caret += static_cast<int>(value.size());
        selectionLength = 0;
        Changed();
    }
    void ScrollToCaret() override { ++scrolls; }
    void CopyAllToClipboard() override {
        clipboard = text;
        caret = 0;
        selectionLength = 0;
    }
    void ApplyFont(const NotepadFont& value) override { font = value; }
    void ApplyPlacement(int top, int left, int width, int height) override {
        placement = {top, left, width, height};
    }
    void SetReadOnly(bool value) override { readOnly = value; }
    bool ChooseFont(NotepadFont& value) override {
        if (!fontChoice) {
            return false;
        }
        value = *fontChoice;
        return true;
    }
    QString ChooseExportFile(const QString& folder) override {
        exportFolder = folder;
        return exportChoice;
    }
    void StartAutosaveTimer(int milliseconds) override { timerMs = milliseconds; }
    void StopAutosaveTimer() override { timerMs = -1; }

    /// The user types at the caret.
    void Type(const QString& value) {
        ASSERT_FALSE(readOnly);
        InsertAtCaret(value);
    }

    NotepadController* controller = nullptr;
    QString text;
    int caret = 0;
    int selectionLength = 0;
    int scrolls = 0;
    QString clipboard;
    NotepadFont font;
    std::array<int, 4> placement{};
    bool readOnly = false;
    std::optional<NotepadFont> fontChoice;
    QString exportChoice;
    QString exportFolder;
    int timerMs = -1;

private:
    void Changed() {
        if (controller) {
            controller->TextChanged();
        }
    }
};

/// Keeps the caption each message was shown with.
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
    QString SaveState() {
        m_dialogs.ClearTranscript();
        m_pad->ReportSaveState();
        return m_dialogs.Transcript().join('\n');
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
    EXPECT_EQ(m_display.text, "first line\n");
    EXPECT_EQ(m_display.caret, 11);  // the caret goes to the end
    EXPECT_EQ(SaveState(), "INFO: There are no changes to save");
    EXPECT_EQ(m_dialogs.captions, QStringList{"Notepad"});
    EXPECT_EQ(m_dialogs.MessageCaption(), "");

    m_display.Type("a");
    EXPECT_EQ(m_display.timerMs, 15000);
    m_clock.Advance(5000);
    m_display.Type("b");  // a further change does not move the save
    EXPECT_EQ(m_display.timerMs, 15000);
    EXPECT_EQ(
        SaveState(),
        "INFO: Changes will anyway be saved automatically in 10 seconds,\\nor when the Notepad is closed.");

    // A timer that fires a moment early waits for the rest.
    m_clock.Advance(9999);
    EXPECT_EQ(
        SaveState(),
        "INFO: Changes will anyway be saved automatically in 0 seconds,\\nor when the Notepad is closed.");
    Pad().AutosaveTimerFired();
    EXPECT_EQ(ReadBytes(TextFile()), "first line\n");
    EXPECT_EQ(m_display.timerMs, 1);

    m_clock.Advance(1);
    Pad().AutosaveTimerFired();
    EXPECT_EQ(ReadBytes(TextFile()), "first line\nab");
    EXPECT_FALSE(Pad().AutosavePending());
    EXPECT_EQ(m_display.timerMs, -1);
    EXPECT_EQ(SaveState(), "INFO: All changes have already been saved");
    EXPECT_FALSE(QFile::exists(TextFile() + "~"));
}

struct SecondsCase {
    int elapsedMs;
    const char* shown;
};

void PrintTo(const SecondsCase& c, std::ostream* out) {
    *out << c.elapsedMs << " ms";
}

class SaveCountdown : public NotepadTest, public ::testing::WithParamInterface<SecondsCase> {};

TEST_P(SaveCountdown, CountsTheWholeSecondsLeft) {
    Open();
    m_display.Type("x");
    m_clock.Advance(GetParam().elapsedMs);
    EXPECT_EQ(SaveState(), QString("INFO: Changes will anyway be saved automatically in ") +
                               GetParam().shown + ",\\nor when the Notepad is closed.");
}

INSTANTIATE_TEST_SUITE_P(Notepad, SaveCountdown,
                         ::testing::Values(SecondsCase{0, "15 seconds"}, SecondsCase{12999, "2 seconds"},
                                           SecondsCase{13001, "1 second"}, SecondsCase{14000, "1 second"},
                                           SecondsCase{14001, "0 seconds"}),
                         [](const ::testing::TestParamInfo<SecondsCase>& param) {
                             return "After" + std::to_string(param.param.elapsedMs) + "ms";
                         });

TEST_F(NotepadTest, ClosingAtOnceWritesAndReopeningShowsTheText) {
    Open();
    m_display.Type("typed and closed");
    Pad().Closed();
    EXPECT_EQ(ReadBytes(TextFile()), "typed and closed");
    EXPECT_EQ(m_display.timerMs, -1);

    Open();
    EXPECT_EQ(m_display.text, "typed and closed");
    EXPECT_EQ(SaveState(), "INFO: There are no changes to save");
    // Showing the window again reads the file again without counting as a change.
    m_pad->Shown();
    EXPECT_FALSE(Pad().AutosavePending());
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

    m_display.Type("x");
    Pad().ProgramEnding();
    EXPECT_EQ(ReadBytes(TextFile()), c.savedAfterTypingX);
    EXPECT_EQ(DecodeNotepadText(ReadBytes(TextFile())).remove('\r'), c.shown + "x");
}

INSTANTIATE_TEST_SUITE_P(
    Notepad, NotepadFiles,
    ::testing::Values(DecodeCase{"Utf8", "caf\xC3\xA9 \xE2\x98\xBA\n", "caf\u00E9 \u263A\n",
                                 "caf\xC3\xA9 \xE2\x98\xBA\nx"},
                      DecodeCase{"Windows1252WithCrLf", "caf\xE9 \x93quoted\x94 \x80 5\r\nline 2\r\n",
                                 "caf\u00E9 \u201Cquoted\u201D \u20AC 5\nline 2\n",
                                 "caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x82\xAC 5\r\nline 2\r\nx"},
                      DecodeCase{"Utf8ByteOrderMark", "\xEF\xBB\xBFnote", "note", "notex"},
                      DecodeCase{"Empty", "", "", "x"}),
    [](const ::testing::TestParamInfo<DecodeCase>& param) { return std::string(param.param.name); });

struct SettingsCase {
    const char* name;
    std::optional<QByteArray> ini;  // nullopt: no npad.ini
    NotepadFont font;
    std::array<int, 4> placement;  // top, left, width, height; -1 left as designed
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
    ::testing::Values(
        SettingsCase{"MissingFile", std::nullopt, NotepadFont{}, {-1, -1, -1, -1}},
        SettingsCase{
            "EveryKey",
            "[notepad]\nFONTNAME=Courier New\nFONTSIZE=12\nFONTBOLD=1\nFONTITALIC=1\nFONTUNDERLINE=1\n"
            "FONTSTRIKEOUT=1\nFORMTOP=0\nFORMLEFT=30\nFORMWIDTH=640\nFORMHEIGHT=480\n",
            NotepadFont{"Courier New", 12, true, true, true, true},
            {0, 30, 640, 480}},
        SettingsCase{"InvalidPlace",
                     "[notepad]\nFONTBOLD=0\nFORMTOP=-5\nFORMLEFT=-1\nFORMWIDTH=0\nFORMHEIGHT=-20\n",
                     NotepadFont{},
                     {-1, -1, -1, -1}},
        SettingsCase{"OtherSection", "[main]\nFONTSIZE=30\n", NotepadFont{}, {-1, -1, -1, -1}}),
    [](const ::testing::TestParamInfo<SettingsCase>& param) { return std::string(param.param.name); });

TEST_F(NotepadTest, FontAndSizeChangesAreWrittenWhenTheAutosaveRuns) {
    Open();
    // The window placed while hidden, and moved by the user: neither counts as a change.
    Pad().WindowResized(500, 400, false);
    Pad().WindowMoved(20, 10);
    Pad().Closed();
    EXPECT_FALSE(QFile::exists(SettingsFile()));

    // A font dialog left with Cancel changes nothing.
    Pad().ChooseFont();
    EXPECT_FALSE(Pad().SettingsChanged());

    m_display.fontChoice = NotepadFont{"DejaVu Serif", 14, false, true, false, false};
    Pad().ChooseFont();
    EXPECT_EQ(m_display.font, *m_display.fontChoice);
    EXPECT_TRUE(Pad().SettingsChanged());
    Pad().Closed();
    EXPECT_EQ(ReadNotepadSettings(SettingsFile()),
              (NotepadSettings{*m_display.fontChoice, 20, 10, 500, 400}));
    const IniFile written(SettingsFile());
    EXPECT_EQ(written.ReadString("notepad", "FONTITALIC", ""), "1");
    EXPECT_EQ(written.ReadString("notepad", "FONTBOLD", ""), "0");

    // The user resizes the window.
    Pad().WindowResized(600, 400, true);
    EXPECT_TRUE(Pad().SettingsChanged());
    Pad().ProgramEnding();
    EXPECT_EQ(ReadNotepadSettings(SettingsFile()).width, 600);
    // While the program ends, size changes no longer count.
    Pad().WindowResized(10, 10, true);
    EXPECT_FALSE(Pad().SettingsChanged());
}

TEST_F(NotepadTest, NowInsertsTheRoundedDateAndTimeAtTheCaret) {
    WriteBytes(TextFile(), "ab");
    Open();
    m_display.Select(1, 0);
    // 2024-01-02 03:04:59.7
    m_clock.SetLocalNow(45293.0 + (3 * 3600 + 4 * 60 + 59.7) / 86400.0);
    Pad().InsertNow();
    EXPECT_EQ(m_display.text, "a2024-01-02 03:05 b");
    EXPECT_TRUE(Pad().AutosavePending());
}

TEST_F(NotepadTest, ExportToTheClipboardCopiesEverythingAndFlashes) {
    WriteBytes(TextFile(), "all of it");
    Open();
    Pad().ExportToClipboard();
    EXPECT_EQ(m_display.clipboard, "all of it");
    EXPECT_EQ(m_display.caret, 0);
    EXPECT_EQ(m_dialogs.Transcript(), QStringList{"FLASH: Exported OK"});
}

struct ExportCase {
    const char* name;
    QString chosen;          // relative to the export folder; empty: dialog cancelled
    QStringList existing;    // files there before
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
    WriteBytes(TextFile(), "exported\nline");
    Open();
    m_display.exportChoice = c.chosen.isEmpty() ? QString() : out + c.chosen;
    m_dialogs.QueueAnswers(c.answers);

    Pad().ExportToFile();

    EXPECT_EQ(m_display.exportFolder, Folder());
    QStringList expected;
    for (const QString& line : c.transcript) {
        expected << QString(line).replace("%1", out);
    }
    EXPECT_EQ(m_dialogs.Transcript(), expected);
    QStringList files = QDir(out).entryList(QDir::Files);
    for (const QString& name : files) {
        const QByteArray content = ReadBytes(out + name);
        EXPECT_EQ(content, name == c.written ? QByteArray("exported\nline") : QByteArray("old"))
            << name.toStdString();
    }
    if (!c.written.isEmpty()) {
        EXPECT_TRUE(files.contains(c.written));
    }
    EXPECT_FALSE(files.contains(c.written + "~"));
    // Exporting is not saving.
    EXPECT_FALSE(Pad().AutosavePending());
}

INSTANTIATE_TEST_SUITE_P(
    Notepad, ExportTable,
    ::testing::Values(
        ExportCase{"NameWithoutExtension", "notes", {}, {}, "notes.txt", {"FLASH: Exported OK"}},
        ExportCase{"UpperCaseTxtKept", "notes.TXT", {}, {}, "notes.TXT", {"FLASH: Exported OK"}},
        ExportCase{"OtherExtension", "notes.md", {}, {}, "notes.md.txt", {"FLASH: Exported OK"}},
        ExportCase{"ShortName", "txt", {}, {}, "txt.txt", {"FLASH: Exported OK"}},
        // The dialog itself asked before replacing the name it was given.
        ExportCase{"ChosenFileReplaced", "a.txt", {"a.txt"}, {}, "a.txt", {"FLASH: Exported OK"}},
        ExportCase{
            "AppendedNameExistsReplacedOnYes",
            "notes",
            {"notes", "notes.txt"},
            {"Yes"},
            "notes.txt",
            {"ASK: %1notes.txt already exists.\\nDo you want to replace it? -> Yes", "FLASH: Exported OK"}},
        ExportCase{"AppendedNameExistsKeptOnNo",
                   "notes",
                   {"notes.txt"},
                   {"No"},
                   "",
                   {"ASK: %1notes.txt already exists.\\nDo you want to replace it? -> No"}},
        ExportCase{"DialogCancelled", "", {"notes.txt"}, {}, "", {}}),
    [](const ::testing::TestParamInfo<ExportCase>& param) { return std::string(param.param.name); });

TEST_F(NotepadTest, AnExportThatCannotBeWrittenThrowsWithoutFlashing) {
    WriteBytes(Folder() + "plainfile", "x");
    Open();
    m_display.exportChoice = Folder() + "plainfile/notes";
    EXPECT_THROW(Pad().ExportToFile(), std::runtime_error);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

struct ClearCase {
    const char* name;
    QStringList answers;
    int questions;
    bool cleared;
};

void PrintTo(const ClearCase& c, std::ostream* out) {
    *out << c.name;
}

class ClearTable : public NotepadTest, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(ClearTable, EmptiesTheTextOnlyAfterTwoYes) {
    const ClearCase& c = GetParam();
    WriteBytes(TextFile(), "keep me");
    Open();
    // A read-only notepad is cleared all the same.
    Pad().SetReadOnly(true);
    EXPECT_TRUE(m_display.readOnly);
    m_dialogs.QueueAnswers(c.answers);

    Pad().ClearText();

    const QStringList asked = m_dialogs.TextsOf("ASK");
    ASSERT_EQ(asked.size(), c.questions);
    EXPECT_TRUE(asked[0].startsWith("Clear the notepad - are you sure ? -> "));
    if (c.questions == 2) {
        EXPECT_TRUE(asked[1].startsWith("... really sure ? (last chance) -> "));
    }
    EXPECT_EQ(m_dialogs.captions, QStringList(c.questions, "Notepad"));
    EXPECT_EQ(m_display.text, c.cleared ? "" : "keep me");
    EXPECT_EQ(Pad().AutosavePending(), c.cleared);
    m_clock.Advance(15000);
    Pad().AutosaveTimerFired();
    EXPECT_EQ(ReadBytes(TextFile()), c.cleared ? "" : "keep me");
}

INSTANTIATE_TEST_SUITE_P(Notepad, ClearTable,
                         ::testing::Values(ClearCase{"YesYes", {"Yes", "Yes"}, 2, true},
                                           ClearCase{"YesNo", {"Yes", "No"}, 2, false},
                                           ClearCase{"No", {"No"}, 1, false},
                                           ClearCase{"Cancel", {"Cancel"}, 1, false}),
                         [](const ::testing::TestParamInfo<ClearCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(NotepadTest, SearchFindsEveryInstanceIgnoringCaseThenSaysNoMore) {
    WriteBytes(TextFile(), "rock and ROCK");
    Open();
    m_dialogs.QueueAnswer("Rock");

    Pad().Search();
    EXPECT_EQ(Pad().SearchText(), "rock");
    // The caret was at the end: the search starts at the beginning.
    EXPECT_EQ(m_display.caret, 0);
    EXPECT_EQ(m_display.selectionLength, 4);
    Pad().FindNext();
    EXPECT_EQ(m_display.caret, 9);
    EXPECT_EQ(m_display.selectionLength, 4);
    Pad().FindNext();
    EXPECT_EQ(m_display.caret, 9);
    EXPECT_EQ(m_dialogs.Transcript(),
              (QStringList{"INPUT: Search for / (afterwards use F3 for Find Next) -> Rock",
                           "INFO: \"rock\" - no more instances"}));
    // Found texts are told with the program's own caption.
    EXPECT_EQ(m_dialogs.captions, QStringList{""});

    // The next search starts from the previous one's text; a text that is not there is "not found".
    m_dialogs.ClearTranscript();
    m_dialogs.QueueAnswer("Jazz");
    Pad().Search();
    EXPECT_EQ(m_dialogs.Transcript(),
              (QStringList{"INPUT: Search for / (afterwards use F3 for Find Next) -> Jazz",
                           "INFO: \"jazz\" - not found"}));

    // Cancelled or empty: nothing is searched.
    m_dialogs.ClearTranscript();
    m_dialogs.QueueAnswers({"<cancel>", ""});
    Pad().Search();
    Pad().Search();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList());
    EXPECT_EQ(Pad().SearchText(), "jazz");
}

TEST_F(NotepadTest, FindNextStartsAtTheCaretWithoutWrappingAround) {
    WriteBytes(TextFile(), "one two one two");
    Open();
    Pad().FindNext();  // no search text yet: nothing happens
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());

    m_display.Select(5, 0);
    m_dialogs.QueueAnswer("TWO");
    Pad().Search();
    EXPECT_EQ(m_display.caret, 12);
    Pad().FindNext();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"\"two\" - no more instances"});
}

/// The program folder is a path whose parent is a plain file: nothing can be created in it, even by
/// root. Then the folder is made real, and the text that stayed in the window is written.
TEST_F(NotepadTest, ATextThatCannotBeWrittenStaysUnsavedUntilItCanBe) {
    const QString blocker = m_dir.path() + "/blocked";
    WriteBytes(blocker, "a file, not a folder");
    const QString folder = blocker + "/";
    Open(folder);
    m_display.Type("precious");
    m_display.fontChoice = NotepadFont{"Courier", 11};
    Pad().ChooseFont();

    m_clock.Advance(15000);
    Pad().AutosaveTimerFired();
    const QStringList errors = m_dialogs.TextsOf("ERROR");
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[0].contains("npad.ini")) << errors[0].toStdString();
    EXPECT_TRUE(errors[1].contains("NPAD.TXT~: Not a directory")) << errors[1].toStdString();
    EXPECT_EQ(m_display.text, "precious");
    EXPECT_TRUE(Pad().AutosavePending());
    EXPECT_TRUE(Pad().SettingsChanged());

    // "Save" tries the write again at once and reports nothing else while it fails.
    m_dialogs.ClearTranscript();
    Pad().ReportSaveState();
    EXPECT_EQ(m_dialogs.TextsOf("ERROR").size(), 2);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty());

    // Closing and showing the window again does not replace the unsaved text with the file's.
    Pad().Closed();
    m_pad->Shown();
    EXPECT_EQ(m_display.text, "precious");

    ASSERT_TRUE(QFile::remove(blocker));
    ASSERT_TRUE(QDir().mkpath(blocker));
    m_dialogs.ClearTranscript();
    Pad().Closed();
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty()) << m_dialogs.Transcript().join('\n').toStdString();
    EXPECT_EQ(ReadBytes(folder + "NPAD.TXT"), "precious");
    EXPECT_EQ(ReadNotepadSettings(folder + "npad.ini").font.name, "Courier");
    EXPECT_EQ(SaveState(), "INFO: All changes have already been saved");
}

TEST_F(NotepadTest, ASettingsFileThatCannotBeReadStillLetsTheTextLoad) {
    ASSERT_TRUE(QDir().mkpath(SettingsFile()));  // a folder where the file should be
    WriteBytes(TextFile(), "the text");
    Open();
    EXPECT_EQ(m_dialogs.TextsOf("ERROR").size(), 1);
    EXPECT_EQ(m_display.text, "the text");
    EXPECT_EQ(m_display.font, NotepadFont{});
    m_display.Type("!");
    Pad().Closed();
    EXPECT_EQ(ReadBytes(TextFile()), "the text!");
}

TEST_F(NotepadTest, ATextFileInAnotherLetterCaseIsTheSameFile) {
    WriteBytes(Folder() + "npad.txt", "lower-case name");
    Open();
    EXPECT_EQ(m_display.text, "lower-case name");
    m_display.Type(".");
    Pad().Closed();
    EXPECT_EQ(ReadBytes(Folder() + "npad.txt"), "lower-case name.");
    EXPECT_FALSE(QFile::exists(TextFile()));
}

}  // namespace
}  // namespace sw
