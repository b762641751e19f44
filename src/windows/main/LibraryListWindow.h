#pragma once

#include <QMainWindow>
#include <QPoint>

#include "LibraryList.h"

class QEventLoop;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QWidget;

namespace sw {

class RowSetModel;

/// The frame the library list windows share: a grid over their controller's row-set model, a
/// count label, an optional search box and the pick bar ("Select", "Cancel") shown while the
/// window serves as a modal picker. Mouse, keys and activation are handed to the subclass, which
/// forwards them to its controller.
class LibraryListWindow : public QMainWindow, protected LibraryListDisplay {
public:
    struct Parts {
        bool searchBox = true;
        bool pickBar = false;
    };

    /// The grid shows `model` from the start: it must exist already and outlive the window.
    LibraryListWindow(RowSetModel& model, Parts parts, QWidget* parent = nullptr);
    ~LibraryListWindow() override;

    QTableView* Grid() const { return m_grid; }
    QLabel* CountLabel() const { return m_count; }
    /// Null in a window without one.
    QLineEdit* SearchBox() const { return m_search; }
    /// Null in a window without one.
    QWidget* PickBar() const { return m_pickBar; }
    bool RunningModal() const { return m_modalLoop != nullptr; }

protected:
    // What the subclass's controller says and is told.
    virtual int ControllerRow() const = 0;
    /// The user moved the grid's cursor (keys, or Up and Down in the search box).
    virtual void UserMovedTo(int row) = 0;
    virtual void RowClicked(int) {}
    /// The click that began a double click has been handled already, and it may have replaced the
    /// list, so by default the double click itself does nothing more.
    virtual void RowDoubleClicked(int) {}
    /// A right click over a row, at that screen position.
    virtual void PopupRequested(int, const QPoint&) {}
    virtual void HeadingClicked(int) {}
    /// The user changed the search box (changes the program made are not passed on).
    virtual void SearchTyped(const QString&) {}
    /// Enter in the grid or the search box; while picking it selects.
    virtual void EnterPressed() {
        if (RunningModal()) {
            PickSelected();
        }
    }
    virtual void EscapePressed() { close(); }
    virtual void Activated() {}
    virtual void Shown() {}
    virtual void PickSelected() { CloseListWindow(true); }
    virtual void PickCancelled() { CloseListWindow(false); }

    // LibraryListDisplay.
    void ListBuilt() override;
    void CurrentRowChanged(int row) override;
    void ClearSearchQuietly() override;
    void ShowListWindow() override;
    bool ListWindowShown() const override { return isVisible(); }
    bool RunListWindowModal() override;
    void CloseListWindow(bool ok) override;

    /// The widget under the grid, for a subclass's own buttons.
    QWidget* BottomBar() const { return m_bottom; }
    /// Fits every column to its heading and its longest cell, and widens the window to them.
    void FitColumns();

    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowCurrentRow();

    RowSetModel& m_model;
    QTableView* m_grid = nullptr;
    QWidget* m_bottom = nullptr;
    QLabel* m_count = nullptr;
    QLineEdit* m_search = nullptr;
    QWidget* m_pickBar = nullptr;
    QEventLoop* m_modalLoop = nullptr;
    bool m_modalOk = false;
    /// The window's width before the first fitting: it never becomes narrower.
    int m_designWidth = 0;
    bool m_syncing = false;  // the program moves the grid's cursor
};

}  // namespace sw
