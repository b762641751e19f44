#pragma once

#include <memory>

#include "foundation/Dialogs.h"
#include "foundation/Placement.h"

namespace sw {

class ChoiceDialog;
class FlashWindow;
class InputDialog;

/// The desktop's message boxes, questions, choice and input boxes and flash notices. Boxes open at
/// the mouse (the placement memory keeps them where the user left the last one), carry the
/// application title and show every character literally.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QString applicationTitle);
    ~QtDialogs() override;

    /// The three reusable windows, created at their place in the start-up (or on first use).
    void CreateChoiceWindow();
    void CreateFlashWindow();
    void CreateInputWindow();

    void ShowInfo(const QString& text) override;
    void ShowError(const QString& text) override;
    char AskYesNoCancel(const QString& text) override;
    bool AskOkCancel(const QString& text) override;
    int AskChoice(const QString& text, const QString& first, const QString& second) override;
    bool InputText(const QString& prompt, QString& value, int maxLength, const QString& hint) override;
    void FlashMessage(const QString& text) override;
    void FlashHide() override;
    void FlashWait() override;
    QPoint MousePosition() const override;
    QRect ScreenGeometry() const override;

protected:
    void ShowBusyCursor(bool busy) override;
    void ProcessPendingEvents() override;

private:
    QString Caption() const;
    int RunBox(int icon, const QString& caption, const QString& text, int buttons, bool stayOnTop);

    QString m_applicationTitle;
    DialogAnchor m_anchor;
    bool m_busyCursorShown = false;
    std::unique_ptr<ChoiceDialog> m_choice;
    std::unique_ptr<FlashWindow> m_flash;
    std::unique_ptr<InputDialog> m_input;
};

}  // namespace sw
