#include "Dialogs.h"

#include <exception>

#include "Numbers.h"
#include "ScriptedDialogs.h"
#include "Text.h"

namespace sw {

namespace {

Dialogs* g_installed = nullptr;
bool g_startupTrace = false;

Dialogs& SilentDefault() {
    static ScriptedDialogs silent;
    return silent;
}

}  // namespace

void Dialogs::BusyBegin() {
    ShowBusyCursor(true);
    ++m_busyDepth;
    ProcessPendingEvents();
}

void Dialogs::BusyEnd() {
    DecrementToZero(m_busyDepth);
    if (m_busyDepth == 0) {
        BusyReset();
    }
}

void Dialogs::BusyReset() {
    m_busyDepth = 0;
    ShowBusyCursor(false);
    ProcessPendingEvents();
}

int Dialogs::StackFlashText(const QString& text, bool onShow) {
    m_lastFlashText = onShow ? m_lastFlashText + "\r\n" + text : text;
    return FlashDisplayTime(text, m_flashInterval);
}

int FlashDisplayTime(const QString& text, int interval) {
    if (text.size() <= 20) {
        return interval;
    }
    return static_cast<int>(text.size()) * (interval / 20);
}

Dialogs& ActiveDialogs() {
    return g_installed ? *g_installed : SilentDefault();
}

void InstallDialogs(Dialogs* dialogs) {
    g_installed = dialogs;
}

ScopedDialogs::ScopedDialogs(Dialogs& dialogs) : m_previous(g_installed) {
    g_installed = &dialogs;
}

ScopedDialogs::~ScopedDialogs() {
    g_installed = m_previous;
}

void ShowInfo(const QString& text) {
    ActiveDialogs().ShowInfo(text);
}

void ShowProgramError(const QString& text) {
    ShowInfo("Program error : " + text);
}

void ShowError(const QString& text) {
    ActiveDialogs().ShowError(text);
}

QString CurrentExceptionText() {
    try {
        throw;
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return "unknown error";
    }
}

char AskYesNoCancel(const QString& text) {
    return ActiveDialogs().AskYesNoCancel(text);
}

bool Confirm(const QString& text) {
    return AskYesNoCancel(text) == 'Y';
}

bool ConfirmOK(const QString& text) {
    return Confirm(text + " - OK ?");
}

bool ConfirmSure(const QString& text) {
    return Confirm(text + " - are you sure ?");
}

bool AskOkCancel(const QString& text) {
    return ActiveDialogs().AskOkCancel(text);
}

int AskChoice(const QString& text, const QString& first, const QString& second) {
    return ActiveDialogs().AskChoice(text, first, second);
}

bool InputText(const QString& prompt, QString& value) {
    return ActiveDialogs().InputText(prompt, value, 0, {});
}

bool InputTextLimited(const QString& prompt, QString& value, int maxLength) {
    return ActiveDialogs().InputText(prompt, value, maxLength, {});
}

bool InputTextHinted(const QString& prompt, const QString& hint, QString& value) {
    return ActiveDialogs().InputText(prompt, value, 0, hint);
}

bool InputInteger(const QString& prompt, int& value) {
    QString text = value > 0 ? QString::number(value) : QString();
    if (!ActiveDialogs().InputText(prompt, text, 0, {})) {
        return false;
    }
    return TryParseInt(text, value);
}

void FlashMessage(const QString& text) {
    ActiveDialogs().FlashMessage(text);
}

void FlashHide() {
    ActiveDialogs().FlashHide();
}

void FlashWait() {
    ActiveDialogs().FlashWait();
}

bool FlashToggleState(const QString& caption, bool checked) {
    FlashMessage(QuoteDouble(caption) + " is " + (checked ? "ON" : "OFF"));
    return checked;
}

void SetFlashInterval() {
    Dialogs& dialogs = ActiveDialogs();
    int interval = dialogs.FlashInterval();
    if (!InputInteger("Enter flash interval in milliseconds (500-2000)", interval)) {
        return;
    }
    if (InRange(interval, 500, 2000)) {
        dialogs.SetFlashInterval(interval);
        FlashMessage("Flash interval updated OK");
    } else {
        FlashMessage("Out of range");
    }
}

void BusyBegin() {
    ActiveDialogs().BusyBegin();
}

void BusyEnd() {
    ActiveDialogs().BusyEnd();
}

void BusyReset() {
    ActiveDialogs().BusyReset();
}

void SetStartupTrace(bool on) {
    g_startupTrace = on;
}

bool StartupTrace() {
    return g_startupTrace;
}

void TraceStep(const QString& text) {
    if (g_startupTrace) {
        ShowInfo(text);
    }
}

}  // namespace sw
