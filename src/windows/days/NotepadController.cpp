#include "NotepadController.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <stdexcept>

#include "core/CreationOrder.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "foundation/Dates.h"
#include "foundation/Dialogs.h"
#include "foundation/Files.h"
#include "foundation/Text.h"
#include "tags/TagText.h"

namespace sw {

namespace {

constexpr char kSection[] = "notepad";
/// Showing the window puts the caret here, which is the end of any shorter text.
constexpr int kCaretOnShow = 32000;

/// The notepad's own messages carry its name as their caption.
class NotepadCaption {
public:
    NotepadCaption() { ActiveDialogs().SetMessageCaption("Notepad"); }
    ~NotepadCaption() { ActiveDialogs().SetMessageCaption(QString()); }
    NotepadCaption(const NotepadCaption&) = delete;
    NotepadCaption& operator=(const NotepadCaption&) = delete;
};

bool ReadBoolean(const IniFile& file, const char* key) {
    return file.ReadInteger(kSection, key, 0) != 0;
}

void WriteBoolean(IniFile& file, const char* key, bool value) {
    file.WriteString(kSection, key, value ? "1" : "0");
}

}  // namespace

NotepadSettings ReadNotepadSettings(const QString& path) {
    const IniFile file(path);
    NotepadSettings s;
    s.font.name = file.ReadString(kSection, "FONTNAME", s.font.name);
    s.font.size = file.ReadInteger(kSection, "FONTSIZE", s.font.size);
    s.font.bold = ReadBoolean(file, "FONTBOLD");
    s.font.italic = ReadBoolean(file, "FONTITALIC");
    s.font.underline = ReadBoolean(file, "FONTUNDERLINE");
    s.font.strikeOut = ReadBoolean(file, "FONTSTRIKEOUT");
    s.top = file.ReadInteger(kSection, "FORMTOP", -1);
    s.left = file.ReadInteger(kSection, "FORMLEFT", -1);
    s.width = file.ReadInteger(kSection, "FORMWIDTH", -1);
    s.height = file.ReadInteger(kSection, "FORMHEIGHT", -1);
    return s;
}

void WriteNotepadSettings(const QString& path, const NotepadSettings& s) {
    IniFile file(path);
    file.WriteString(kSection, "FONTNAME", s.font.name);
    file.WriteInteger(kSection, "FONTSIZE", s.font.size);
    WriteBoolean(file, "FONTBOLD", s.font.bold);
    WriteBoolean(file, "FONTITALIC", s.font.italic);
    WriteBoolean(file, "FONTUNDERLINE", s.font.underline);
    WriteBoolean(file, "FONTSTRIKEOUT", s.font.strikeOut);
    file.WriteInteger(kSection, "FORMTOP", s.top);
    file.WriteInteger(kSection, "FORMLEFT", s.left);
    file.WriteInteger(kSection, "FORMWIDTH", s.width);
    file.WriteInteger(kSection, "FORMHEIGHT", s.height);
    file.Save();
}

QString DecodeNotepadText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? DecodeWindows1252(bytes) : text;
}

QString ExportFileName(const QString& chosen) {
    return chosen.right(4).compare(".txt", Qt::CaseInsensitive) == 0 ? chosen : chosen + ".txt";
}

NotepadController::NotepadController(const QString& programFolder, const Clock& clock)
    : m_programFolder(programFolder), m_clock(clock) {
    UseProgramTextFile();
    m_settingsPath = ExistingSpelling(m_programFolder + "npad.ini");
}

void NotepadController::UseProgramTextFile() {
    // Where letter case counts, a file the previous edition or the user named "npad.txt" is the same.
    m_textPath = ExistingSpelling(m_programFolder + "NPAD.TXT");
}

void NotepadController::Create() {
    try {
        m_settings = ReadNotepadSettings(m_settingsPath);
    } catch (...) {
        // The text must still be loaded, or the next autosave would replace it.
        ShowCurrentException();
        m_settings = NotepadSettings();
    }
    m_display->ApplyFont(m_settings.font);
    m_display->ApplyPlacement(
        m_settings.top >= 0 ? m_settings.top : -1, m_settings.left >= 0 ? m_settings.left : -1,
        m_settings.width > 0 ? m_settings.width : -1, m_settings.height > 0 ? m_settings.height : -1);
    Load();
}

void NotepadController::Load() {
    m_savedSinceLoad = false;
    QFile file(m_textPath);
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(("Cannot read " + m_textPath + ": " + file.errorString()).toStdString());
    }
    const QByteArray bytes = file.readAll();
    m_crlf = bytes.contains("\r\n");
    QString text = DecodeNotepadText(bytes);
    text.replace("\r\n", "\n");
    m_loading = true;
    m_display->SetText(text);
    m_loading = false;
}

void NotepadController::Shown() {
    // A text whose write failed is newer than the file: it stays.
    if (!m_autosavePending) {
        Load();
    }
    m_editingStarted = true;
    m_display->Select(std::min(kCaretOnShow, static_cast<int>(m_display->Text().size())), 0);
}

void NotepadController::TextChanged() {
    if (m_editingStarted && !m_loading) {
        StartAutosave();
    }
}

void NotepadController::StartAutosave() {
    m_autosavePending = true;
    if (!m_timerRunning) {
        m_timerRunning = true;
        m_timerDue = m_clock.NowMs() + kAutosaveMs;
        m_display->StartAutosaveTimer(kAutosaveMs);
    }
}

void NotepadController::StopTimer() {
    if (m_timerRunning) {
        m_timerRunning = false;
        m_display->StopAutosaveTimer();
    }
}

void NotepadController::AutosaveTimerFired() {
    if (!m_timerRunning) {
        return;
    }
    // A timer may fire a little early; the save waits for the full 15 seconds.
    const qint64 left = m_timerDue - m_clock.NowMs();
    if (left > 0) {
        m_display->StartAutosaveTimer(static_cast<int>(left));
        return;
    }
    StopTimer();
    SavePending();
}

void NotepadController::Closed() {
    SavePending();
}

bool NotepadController::ProgramEnding() {
    m_ending = true;
    return SavePending();
}

QByteArray NotepadController::TextBytes() const {
    QString text = m_display->Text();
    if (m_crlf) {
        text.replace("\n", "\r\n");
    }
    return text.toUtf8();
}

bool NotepadController::SavePending() {
    if (m_settingsChanged) {
        try {
            WriteNotepadSettings(m_settingsPath, m_settings);
            m_settingsChanged = false;
        } catch (...) {
            ShowCurrentException();
        }
    }
    if (m_autosavePending) {
        try {
            WriteFileAtomically(m_textPath, TextBytes());
            m_autosavePending = false;
            m_savedSinceLoad = true;
        } catch (...) {
            // The text stays in the window, unsaved: the next change, closing the window or the
            // end of the program writes it again.
            ShowCurrentException();
        }
    }
    if (!m_autosavePending) {
        StopTimer();
    }
    return !m_autosavePending && !m_settingsChanged;
}

QString NotepadController::SaveStateText() const {
    if (m_autosavePending && m_timerRunning) {
        const qint64 seconds = std::max<qint64>(0, m_timerDue - m_clock.NowMs()) / 1000;
        return "Changes will anyway be saved automatically in " + QString::number(seconds) + " second" +
               (seconds == 1 ? "" : "s") + ",\nor when the Notepad is closed.";
    }
    if (m_savedSinceLoad && !m_autosavePending) {
        return "All changes have already been saved";
    }
    return "There are no changes to save";
}

void NotepadController::ReportSaveState() {
    if (m_autosavePending && !m_timerRunning) {
        // Only a failed write leaves a change pending without the timer; try it again now.
        SavePending();
        if (m_autosavePending) {
            return;
        }
    }
    NotepadCaption caption;
    ShowInfo(SaveStateText());
}

void NotepadController::InsertNow() {
    m_display->InsertAtCaret(FormatDateTime(2, m_clock.LocalNow()));
}

void NotepadController::ExportToClipboard() {
    m_display->CopyAllToClipboard();
    FlashMessage("Exported OK");
}

void NotepadController::ExportToFile() {
    const QString chosen = m_display->ChooseExportFile(m_programFolder);
    if (chosen.isEmpty()) {
        return;
    }
    const QString target = ExportFileName(chosen);
    // The dialog asked about the name as typed; a different file it did not ask about is not
    // replaced without a question either.
    if (target != chosen && QFileInfo::exists(target)) {
        NotepadCaption caption;
        if (!Confirm(target + " already exists.\nDo you want to replace it?")) {
            return;
        }
    }
    WriteFileAtomically(target, TextBytes());
    FlashMessage("Exported OK");
}

void NotepadController::ChooseFont() {
    NotepadFont font = m_settings.font;
    if (!m_display->ChooseFont(font)) {
        return;
    }
    m_settings.font = font;
    m_display->ApplyFont(font);
    m_settingsChanged = true;
}

void NotepadController::ScrollToCursor() {
    m_display->ScrollToCaret();
}

void NotepadController::ClearText() {
    {
        NotepadCaption caption;
        if (!ConfirmSure("Clear the notepad") || !Confirm("... really sure ? (last chance)")) {
            return;
        }
    }
    m_display->SetText(QString());
    StartAutosave();
}

void NotepadController::Search() {
    QString text = m_searchText;
    if (!InputTextHinted("Search for", "(afterwards use F3 for Find Next)", text) || text.isEmpty()) {
        return;
    }
    m_searchText = text.toLower();
    m_firstSearch = true;
    FindNext();
}

void NotepadController::FindNext() {
    if (m_searchText.isEmpty()) {
        return;
    }
    const QString text = m_display->Text();
    int from = 0;
    if (m_display->SelectionLength() > 0) {
        // Passes over the match just found.
        from = m_display->SelectionStart() + 1;
    } else {
        from = m_display->CaretPosition();
        if (from >= text.size()) {
            from = 0;
        }
    }
    // Compared character by character without regard to case, so that positions stay those of the text.
    const qsizetype found = text.indexOf(m_searchText, from, Qt::CaseInsensitive);
    if (found >= 0) {
        m_display->Select(static_cast<int>(found), static_cast<int>(m_searchText.size()));
        m_display->ScrollToCaret();
        m_firstSearch = false;
        return;
    }
    ShowInfo(QuoteDouble(m_searchText) + (m_firstSearch ? " - not found" : " - no more instances"));
}

void NotepadController::WindowMoved(int top, int left) {
    m_settings.top = top;
    m_settings.left = left;
}

void NotepadController::WindowResized(int width, int height, bool visible) {
    if (m_ending || (width == m_settings.width && height == m_settings.height)) {
        return;
    }
    m_settings.width = width;
    m_settings.height = height;
    if (visible) {
        m_settingsChanged = true;
    }
}

void NotepadController::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    m_display->SetReadOnly(readOnly);
}

}  // namespace sw
