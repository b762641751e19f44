#pragma once

#include <QMainWindow>
#include <functional>
#include <map>

#include "DaysController.h"

class QAction;
class QMenu;
class QTableView;

namespace sw {

class DaysModel;

/// The days window's menu-bar items and the items of its pop-up, in their menu order.
enum class DaysCommand { Close, Refresh, First, Last, ListSongs, EditNote };

/// The "Days" window: the grid of played days with their notes, its menu and pop-up menu.
class DaysWindow : public QMainWindow, private DaysDisplay {
public:
    explicit DaysWindow(Catalogue& catalogue, QWidget* parent = nullptr);
    ~DaysWindow() override;

    /// The main menu's "Play history".
    void ShowDays();
    /// Connects "List songs actually played" (and the clicks on a cell) to the songs window.
    void SetListDaySongs(std::function<void(int day)> list);

    DaysController& Controller() { return m_controller; }
    QTableView* Grid() const { return m_grid; }
    QMenu* PopupMenu() const { return m_popup; }
    QAction* Command(DaysCommand command) const { return m_commands.at(command); }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ListReloaded() override;
    void CurrentRowMoved(int row, bool contextBelow) override;
    void CellClicked(int row);

    DaysController m_controller;
    DaysModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QMenu* m_popup = nullptr;
    std::map<DaysCommand, QAction*> m_commands;
    bool m_moving = false;
};

}  // namespace sw
