#include "HashReference.h"

#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

int ExpandHashReference(QString& typed, const QString& kind,
                        const std::function<bool(int, QString&)>& lookup) {
    if (!typed.startsWith('#')) {
        return 0;
    }
    int id = 0;
    if (!ParseIntOrWarn(typed.mid(1), id)) {
        return 0;
    }
    QString stored;
    if (!lookup(id, stored)) {
        QString capitalised = kind;
        capitalised[0] = capitalised[0].toUpper();
        return Confirm(capitalised + " " + typed + " not found, use " + kind +
                       " name = " + QuoteDouble(typed) + " ?")
                   ? 0
                   : -1;
    }
    switch (
        AskYesNoCancel("Expand " + kind + " " + QuoteDouble(typed) + " to " + QuoteDouble(stored) + " ?")) {
        case 'Y':
            typed = stored;
            return id;
        case 'N':
            return ConfirmSure("Use " + QuoteDouble(typed) + " as " + kind + " name") ? 0 : -1;
        default:
            return -1;
    }
}

}  // namespace sw
