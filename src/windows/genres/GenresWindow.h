#pragma once

#include <QPoint>
#include <QString>
#include <map>

#include "GenresController.h"
#include "windows/main/LibraryListWindow.h"

class QAction;
class QMenu;

namespace sw {

class GenreDetailsDialog;

/// The genres window's menu-bar items, the items of its "Sequence" and "Filter" menus and of its
/// pop-up, in their menu order.
enum class GenresCommand {
    Close,
    Load,
    Refresh,
    ById,
    ByName,
    SequenceHint,
    InUse,
    Available,
    All,
    New,
    ListTracks,
    Edit,
    Delete,
};

/// The "Genres" window: the genre list over its controller's model with the menus, the pop-up,
/// the search box and the pick bar, and the "Genre details" dialog it opens. Created once.
class GenresWindow : public LibraryListWindow {
public:
    explicit GenresWindow(GenresController& controller, QWidget* parent = nullptr);
    ~GenresWindow() override;

    GenresController& Controller() { return m_controller; }
    GenreDetailsDialog* DetailsDialog() const { return m_details; }
    QMenu* SequenceMenu() const { return m_sequenceMenu; }
    QMenu* FilterMenu() const { return m_filterMenu; }
    QMenu* PopupMenu() const { return m_popup; }
    QAction* Command(GenresCommand command) const { return m_commands.at(command); }

protected:
    int ControllerRow() const override { return m_controller.CurrentRow(); }
    void UserMovedTo(int row) override { m_controller.SetCurrentRow(row); }
    void RowClicked(int row) override { m_controller.RowClicked(row); }
    void PopupRequested(int row, const QPoint& at) override;
    void HeadingClicked(int column) override { m_controller.HeadingClicked(column); }
    void SearchTyped(const QString& text) override { m_controller.SearchTyped(text); }
    void Activated() override { m_controller.Activated(); }
    void Shown() override { m_controller.Shown(); }
    void StateChanged() override;

private:
    void BuildMenus();

    GenresController& m_controller;
    GenreDetailsDialog* m_details = nullptr;
    QMenu* m_sequenceMenu = nullptr;
    QMenu* m_filterMenu = nullptr;
    QMenu* m_popup = nullptr;
    std::map<GenresCommand, QAction*> m_commands;
};

}  // namespace sw
