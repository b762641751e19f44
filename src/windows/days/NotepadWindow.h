#pragma once

#include <QFont>
#include <QMainWindow>
#include <map>

#include "NotepadController.h"

class QAction;
class QPlainTextEdit;
class QTimer;

namespace sw {

/// The notepad's menu commands, in their menu order ("to Clipboard" and "to File" are in "Export").
enum class NotepadCommand { Close, Save, Now, ToClipboard, ToFile, Font, ScrollToCursor, Clear, Search };

/// The notepad window: a pale green text area under the menu of the notepad's commands.
class NotepadWindow : public QMainWindow, private NotepadDisplay {
public:
    explicit NotepadWindow(const QString& programFolder, const Clock& clock = RealClock(),
                           QWidget* parent = nullptr);
    ~NotepadWindow() override;

    /// The creation step: settings read and applied, the text loaded.
    void Create() { m_controller.Create(); }
    /// The main menu's "Notepad": shown with the program folder's text file, and read-only exactly
    /// when the catalogue is (which the catalogue's refusal message says).
    void OpenFromMainMenu(bool catalogueReadOnly);
    /// Saves what is pending as the program ends; false when something could not be written.
    bool ProgramEnding() { return m_controller.ProgramEnding(); }

    NotepadController& Controller() { return m_controller; }
    QPlainTextEdit* TextArea() const { return m_text; }
    QAction* Command(NotepadCommand command) const { return m_commands.at(command); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString Text() const override;
    void SetText(const QString& text) override;
    int CaretPosition() const override;
    int SelectionStart() const override;
    int SelectionLength() const override;
    void Select(int start, int length) override;
    void InsertAtCaret(const QString& text) override;
    void ScrollToCaret() override;
    void CopyAllToClipboard() override;
    void ApplyFont(const NotepadFont& font) override;
    void ApplyPlacement(int top, int left, int width, int height) override;
    void SetReadOnly(bool readOnly) override;
    bool ChooseFont(NotepadFont& font) override;
    QString ChooseExportFile(const QString& folder) override;
    void StartAutosaveTimer(int milliseconds) override;
    void StopAutosaveTimer() override;

    NotepadController m_controller;
    QPlainTextEdit* m_text = nullptr;
    QTimer* m_autosave = nullptr;
    std::map<NotepadCommand, QAction*> m_commands;
    bool m_applyingFont = false;
};

/// The font a notepad font names; "Arial" falls back to the desktop's sans-serif font.
QFont ToQFont(const NotepadFont& font);
NotepadFont FromQFont(const QFont& font);

}  // namespace sw
