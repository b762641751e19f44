#include "CreationOrder.h"

#include <exception>

#include "foundation/Dialogs.h"

namespace sw {

bool RunCreationOrder(const CreationSteps& steps) {
    for (const CreationStep& step : kCreationOrder) {
        const auto found = steps.find(step.window);
        if (found == steps.end()) {
            continue;
        }
        if (step.trace[0] != '\0') {
            TraceStep(step.trace);
        }
        try {
            if (!found->second()) {
                return false;
            }
        } catch (...) {
            ShowCurrentException();
        }
    }
    return true;
}

QString ErrorText(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

void ShowCurrentException() {
    try {
        throw;
    } catch (const std::exception& error) {
        ShowError(ErrorText(error));
    } catch (...) {
        ShowError("Unknown error");
    }
}

}  // namespace sw
