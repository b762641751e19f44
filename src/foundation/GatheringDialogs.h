#pragma once

#include <QStringList>

#include "Dialogs.h"

namespace sw {

/// Stands in for the installed dialogs while many files are written: messages are kept for the
/// closing report instead of stopping the run with a box per file, and the notice of each saved
/// file is dropped (hundreds of them would pile up in one flash window, and drawing it costs more
/// than the write); the questions of the tag writer reach the user as before.
class GatheringDialogs : public Dialogs {
public:
    explicit GatheringDialogs(Dialogs& shown) : m_shown(shown) {}

    /// The messages kept since the last call.
    QStringList Take();

    void ShowInfo(const QString& text) override { m_texts << text; }
    void ShowError(const QString& text) override { m_texts << text; }
    char AskYesNoCancel(const QString& text) override { return m_shown.AskYesNoCancel(text); }
    bool AskOkCancel(const QString& text) override { return m_shown.AskOkCancel(text); }
    int AskChoice(const QString& text, const QString& first, const QString& second) override {
        return m_shown.AskChoice(text, first, second);
    }
    bool InputText(const QString& prompt, QString& value, int maxLength, const QString& hint) override {
        return m_shown.InputText(prompt, value, maxLength, hint);
    }
    void FlashMessage(const QString&) override {}
    void FlashHide() override {}
    void FlashWait() override {}
    QPoint MousePosition() const override { return m_shown.MousePosition(); }
    QRect ScreenGeometry() const override { return m_shown.ScreenGeometry(); }

protected:
    // The run as a whole stays under the busy cursor of the dialogs on show.
    void ShowBusyCursor(bool) override {}
    void ProcessPendingEvents() override {}

private:
    Dialogs& m_shown;
    QStringList m_texts;
};

/// The messages about one file as one line: their line breaks become blanks, and a message that
/// starts with the path (as the tag writer's do) does not repeat it.
QString MessagesLine(const QString& path, const QStringList& messages);
/// One line for a run's report: the path, then its messages.
QString FailureLine(const QString& path, const QStringList& messages);

}  // namespace sw
