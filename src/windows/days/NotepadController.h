#pragma once

#include <QByteArray>
#include <QString>

#include "foundation/Clock.h"

namespace sw {

struct NotepadFont {
    QString name = "Arial";
    int size = 10;  ///< points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    friend bool operator==(const NotepadFont&, const NotepadFont&) = default;
};

/// The notepad's own settings file, section "notepad". A position below 0 and a size of 0 or less
/// mean "where the window was designed".
struct NotepadSettings {
    NotepadFont font;
    int top = -1;
    int left = -1;
    int width = -1;
    int height = -1;
    friend bool operator==(const NotepadSettings&, const NotepadSettings&) = default;
};

/// Reads the settings; a missing file or key gives the default. Throws when the file exists but
/// cannot be read.
NotepadSettings ReadNotepadSettings(const QString& path);
/// Writes every key through a temporary file. Throws with the system's text.
void WriteNotepadSettings(const QString& path, const NotepadSettings& settings);

/// A notepad file's text: UTF-8, or Windows-1252 when the bytes are not UTF-8 (a file written by
/// the previous edition).
QString DecodeNotepadText(const QByteArray& bytes);
/// The file "to File" writes: the chosen name, with ".txt" appended unless it ends so in any case.
QString ExportFileName(const QString& chosen);

/// The notepad's text area and dialogs, as the controller sees them. Positions count characters
/// from 0.
class NotepadDisplay {
public:
    virtual ~NotepadDisplay() = default;
    virtual QString Text() const = 0;
    /// Replaces the whole text.
    virtual void SetText(const QString& text) = 0;
    virtual int CaretPosition() const = 0;
    virtual int SelectionStart() const = 0;
    virtual int SelectionLength() const = 0;
    /// Selects `length` characters from `start`; a length of 0 puts the caret there.
    virtual void Select(int start, int length) = 0;
    virtual void InsertAtCaret(const QString& text) = 0;
    virtual void ScrollToCaret() = 0;
    /// Selects the whole text, copies it to the clipboard and puts the caret at the start.
    virtual void CopyAllToClipboard() = 0;
    virtual void ApplyFont(const NotepadFont& font) = 0;
    /// -1 leaves that property as it is.
    virtual void ApplyPlacement(int top, int left, int width, int height) = 0;
    virtual void SetReadOnly(bool readOnly) = 0;
    /// The font dialog, starting from `font`; true on OK with the chosen font in `font`.
    virtual bool ChooseFont(NotepadFont& font) = 0;
    /// The save dialog for "to File", opening in `folder`; empty when cancelled.
    virtual QString ChooseExportFile(const QString& folder) = 0;
    /// (Re)starts the single-shot autosave timer.
    virtual void StartAutosaveTimer(int milliseconds) = 0;
    virtual void StopAutosaveTimer() = 0;
};

/// The notepad without its widgets: the text file and settings file in the program folder, the
/// autosave 15 seconds after the first change, and the menu commands. Every write goes through a
/// temporary file renamed over the old one; a text that cannot be written stays in the window and
/// counts as unsaved, so closing the window or ending the program tries again.
class NotepadController {
public:
    static constexpr int kAutosaveMs = 15000;

    /// `programFolder` ends with "/". The clock times the autosave and stamps "Now!".
    explicit NotepadController(const QString& programFolder, const Clock& clock = RealClock());
    NotepadController(const NotepadController&) = delete;
    NotepadController& operator=(const NotepadController&) = delete;

    void SetDisplay(NotepadDisplay* display) { m_display = display; }

    /// The creation step: the settings read and applied, the text loaded. A settings file that
    /// cannot be read is reported and the defaults are used; it is not written over unless the
    /// settings change.
    void Create();
    /// The main menu's "Notepad": the text file is "NPAD.TXT" in the program folder.
    void UseProgramTextFile();
    /// Replaces the text with the file's, when the file exists. Throws when it cannot be read.
    void Load();
    /// Each showing of the window: the text loaded again (unless a change is still to be saved),
    /// and editing counts from now on; the caret goes to the end of a text up to 32000 characters.
    void Shown();

    void TextChanged();
    void AutosaveTimerFired();
    /// The window was closed (hidden): pending changes are saved.
    void Closed();
    /// The program ends: pending changes are saved; size changes no longer count.
    bool ProgramEnding();
    /// Writes changed settings and a pending text; failures are shown and the change stays pending.
    /// False when something is still unwritten.
    bool SavePending();

    /// "Save": reports the save state. A text whose last write failed is written now.
    void ReportSaveState();
    QString SaveStateText() const;
    /// "Now!".
    void InsertNow();
    /// "to Clipboard".
    void ExportToClipboard();
    /// "to File". Throws with the system's text when the file cannot be written.
    void ExportToFile();
    /// "Font".
    void ChooseFont();
    /// "Scroll-to-cursor".
    void ScrollToCursor();
    /// "Clear", after its two questions.
    void ClearText();
    /// "Search".
    void Search();
    /// F3, and the end of "Search".
    void FindNext();

    /// The window's geometry as the view reports it, kept for the settings file. A size change the
    /// user can see (`visible`) marks the settings as changed; moving the window alone does not.
    void WindowMoved(int top, int left);
    void WindowResized(int width, int height, bool visible);

    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return m_readOnly; }

    const QString& TextPath() const { return m_textPath; }
    const QString& SettingsPath() const { return m_settingsPath; }
    const NotepadSettings& Settings() const { return m_settings; }
    bool AutosavePending() const { return m_autosavePending; }
    bool TimerRunning() const { return m_timerRunning; }
    bool SettingsChanged() const { return m_settingsChanged; }
    const QString& SearchText() const { return m_searchText; }

private:
    void StartAutosave();
    void StopTimer();
    QByteArray TextBytes() const;

    QString m_programFolder;
    const Clock& m_clock;
    NotepadDisplay* m_display = nullptr;
    QString m_textPath;
    QString m_settingsPath;
    NotepadSettings m_settings;
    bool m_settingsChanged = false;
    bool m_editingStarted = false;
    bool m_loading = false;
    bool m_autosavePending = false;
    bool m_timerRunning = false;
    qint64 m_timerDue = 0;
    bool m_savedSinceLoad = false;
    bool m_ending = false;
    bool m_readOnly = false;
    /// The file's lines ended with CR LF, and are written back so.
    bool m_crlf = false;
    QString m_searchText;
    bool m_firstSearch = true;
};

}  // namespace sw
