#pragma once

#include "foundation/Placement.h"
#include "windows/main/QtDialogs.h"

namespace sw {

/// The converter's message boxes: the jukebox's shared dialogs, except that messages and questions
/// carry the standard caption of their kind ("Information", "Confirm", "Error"), are not kept on top,
/// and open where the last box opened when the mouse has not moved since it closed (a box dragged
/// aside is not followed).
class ConverterDialogs : public QtDialogs {
public:
    ConverterDialogs();

    void ShowInfo(const QString& text) override;
    void ShowError(const QString& text) override;
    char AskYesNoCancel(const QString& text) override;
    bool AskOkCancel(const QString& text) override;

private:
    int RunBox(int icon, const QString& caption, const QString& text, int buttons);

    DialogAnchor m_anchor;
};

}  // namespace sw
