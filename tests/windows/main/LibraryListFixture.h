#pragma once

#include <QList>
#include <functional>

#include "windows/main/LibraryList.h"

namespace sw::test {

/// What a library list controller told its window. A modal showing runs `duringModal` (the
/// user's part: a click, "Select" or "Cancel") and ends with what the last close said.
class RecordingListDisplay : public LibraryListDisplay {
public:
    void ListBuilt() override { ++built; }
    void CurrentRowChanged(int row) override { currentRows << row; }
    void StateChanged() override { ++changes; }
    void ClearSearchQuietly() override { ++searchCleared; }
    void ShowListWindow() override {
        shown = true;
        ++showings;
    }
    bool ListWindowShown() const override { return shown; }
    bool RunListWindowModal() override {
        ++modalRuns;
        shown = true;
        modal = true;
        closedOk = false;
        if (duringModal) {
            duringModal();
        }
        modal = false;
        shown = false;
        return closedOk;
    }
    void CloseListWindow(bool ok) override {
        shown = false;
        closedOk = ok;
        ++closes;
    }

    int built = 0;
    QList<int> currentRows;
    int changes = 0;
    int searchCleared = 0;
    bool shown = false;
    int showings = 0;
    bool modal = false;
    int modalRuns = 0;
    bool closedOk = false;
    int closes = 0;
    std::function<void()> duringModal;
};

}  // namespace sw::test
