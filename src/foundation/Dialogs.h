#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

namespace sw {

/// Every message, question and flash notice of the programs goes through one installed Dialogs
/// object: Qt boxes on the desktop, a scripted implementation in tests and unattended runs.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual void ShowInfo(const QString& text) = 0;
    /// An error that escaped a command, shown with its own text.
    virtual void ShowError(const QString& text) = 0;
    /// 'Y', 'N' or 'C' after the button pressed; ' ' when the box was closed any other way.
    virtual char AskYesNoCancel(const QString& text) = 0;
    virtual bool AskOkCancel(const QString& text) = 0;
    /// 1 or 2 for the option chosen, 0 for Cancel.
    virtual int AskChoice(const QString& text, const QString& first, const QString& second) = 0;
    /// On OK returns true and `value` holds the edited text. `maxLength` 0 means no limit; an empty
    /// hint hides the second line.
    virtual bool InputText(const QString& prompt, QString& value, int maxLength, const QString& hint) = 0;
    virtual void FlashMessage(const QString& text) = 0;
    virtual void FlashHide() = 0;
    /// Lets events run until the flash message on show has gone.
    virtual void FlashWait() = 0;
    virtual QPoint MousePosition() const = 0;
    virtual QRect ScreenGeometry() const = 0;

    void BusyBegin();
    void BusyEnd();
    void BusyReset();
    int BusyDepth() const { return m_busyDepth; }

    /// Caption override for messages and Yes/No/Cancel questions; empty means the application title.
    void SetMessageCaption(const QString& caption) { m_messageCaption = caption; }
    const QString& MessageCaption() const { return m_messageCaption; }

    int FlashInterval() const { return m_flashInterval; }
    void SetFlashInterval(int milliseconds) { m_flashInterval = milliseconds; }
    const QString& LastFlashText() const { return m_lastFlashText; }

protected:
    virtual void ShowBusyCursor(bool busy) = 0;
    virtual void ProcessPendingEvents() = 0;

    /// Stacks `text` under the message still on show (when `onShow`) and returns its display time.
    int StackFlashText(const QString& text, bool onShow);

private:
    int m_busyDepth = 0;
    QString m_messageCaption;
    int m_flashInterval = 1500;
    QString m_lastFlashText;
};

/// How long a flash message stays: the interval for up to 20 characters, else length × (interval div 20).
int FlashDisplayTime(const QString& text, int interval);

/// The installed implementation; a silent scripted one until something else is installed.
Dialogs& ActiveDialogs();
/// Installs `dialogs` (not owned); nullptr restores the silent default.
void InstallDialogs(Dialogs* dialogs);

/// Installs a Dialogs implementation for the lifetime of the scope, restoring the previous one after.
class ScopedDialogs {
public:
    explicit ScopedDialogs(Dialogs& dialogs);
    ~ScopedDialogs();
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

private:
    Dialogs* m_previous;
};

void ShowInfo(const QString& text);
void ShowProgramError(const QString& text);
void ShowError(const QString& text);
/// The text of the exception being handled (call it inside a catch block), for a message.
QString CurrentExceptionText();
char AskYesNoCancel(const QString& text);
bool Confirm(const QString& text);
bool ConfirmOK(const QString& text);
bool ConfirmSure(const QString& text);
bool AskOkCancel(const QString& text);
int AskChoice(const QString& text, const QString& first, const QString& second);
bool InputText(const QString& prompt, QString& value);
bool InputTextLimited(const QString& prompt, QString& value, int maxLength);
bool InputTextHinted(const QString& prompt, const QString& hint, QString& value);
/// The box starts with `value` when it is above 0, empty otherwise; true only on OK with a valid integer.
bool InputInteger(const QString& prompt, int& value);
void FlashMessage(const QString& text);
void FlashHide();
void FlashWait();
/// Flashes the item's caption in double quotes with " is ON" or " is OFF"; returns `checked`.
bool FlashToggleState(const QString& caption, bool checked);
/// The main menu's flash-interval dialog.
void SetFlashInterval();
void BusyBegin();
void BusyEnd();
void BusyReset();

/// Brackets a long piece of work with the busy cursor.
class BusyScope {
public:
    BusyScope() { BusyBegin(); }
    ~BusyScope() { BusyEnd(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

void SetStartupTrace(bool on);
bool StartupTrace();
/// Shows `text` when the start-up trace is on.
void TraceStep(const QString& text);

}  // namespace sw
