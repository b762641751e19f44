#pragma once

#include <QStringList>
#include <deque>

#include "Dialogs.h"

class QTextStream;

namespace sw {

/// Records every text shown and answers questions from a queue of scripted answers, falling back
/// to the unattended defaults when the queue is empty: Yes, OK, the first option, and text input
/// accepted unchanged. With an echo stream it is the program's unattended mode: each message,
/// question and flash is printed there as one line.
///
/// Answer forms (letter case ignored): "Y"/"Yes", "N"/"No", "C"/"Cancel", "" (box closed) for
/// Yes/No/Cancel; "OK" or "Cancel" for OK/Cancel; "1", "2" or "0" for choices; any text for an input
/// (OK with that text), "<ok>" to accept the value shown, "<cancel>" to cancel it.
class ScriptedDialogs : public Dialogs {
public:
    explicit ScriptedDialogs(QTextStream* echo = nullptr);

    void QueueAnswer(const QString& answer) { m_answers.push_back(answer); }
    void QueueAnswers(const QStringList& answers);
    /// Queues the lines of a file. Throws when the file cannot be read.
    void QueueAnswersFromFile(const QString& path);
    std::size_t PendingAnswers() const { return m_answers.size(); }

    /// Every line recorded so far, such as "INFO: text" or "ASK: text -> Yes".
    const QStringList& Transcript() const { return m_transcript; }
    /// The texts of one kind of line ("INFO", "ERROR", "ASK", "CHOICE", "INPUT", "FLASH").
    QStringList TextsOf(const QString& kind) const;
    void ClearTranscript() { m_transcript.clear(); }

    bool BusyCursorShown() const { return m_busyCursor; }
    void SetMousePosition(QPoint position) { m_mouse = position; }
    void SetScreenGeometry(QRect screen) { m_screen = screen; }

    void ShowInfo(const QString& text) override;
    void ShowError(const QString& text) override;
    char AskYesNoCancel(const QString& text) override;
    bool AskOkCancel(const QString& text) override;
    int AskChoice(const QString& text, const QString& first, const QString& second) override;
    bool InputText(const QString& prompt, QString& value, int maxLength, const QString& hint) override;
    void FlashMessage(const QString& text) override;
    void FlashHide() override {}
    void FlashWait() override {}
    QPoint MousePosition() const override { return m_mouse; }
    QRect ScreenGeometry() const override { return m_screen; }

protected:
    void ShowBusyCursor(bool busy) override { m_busyCursor = busy; }
    void ProcessPendingEvents() override {}

private:
    bool NextAnswer(QString& answer);
    void Record(const QString& kind, const QString& text);

    QTextStream* m_echo;
    std::deque<QString> m_answers;
    QStringList m_transcript;
    bool m_busyCursor = false;
    QPoint m_mouse;
    QRect m_screen{0, 0, 1920, 1080};
};

}  // namespace sw
