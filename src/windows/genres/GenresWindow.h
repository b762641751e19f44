#pragma once

#include <QPoint>
#include <QString>

#include "GenresController.h"
#include "windows/main/LibraryListWindow.h"

class QAction;
class QMenu;

namespace sw {

class GenreDetailsDialog;

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
    /// The item of that caption in the menu bar, its menus or the pop-up; null when there is none.
    QAction* Command(const QString& caption) const;

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
    QAction* m_byId = nullptr;
    QAction* m_byName = nullptr;
    QMenu* m_filterMenu = nullptr;
    QAction* m_inUse = nullptr;
    QAction* m_available = nullptr;
    QAction* m_all = nullptr;
    QMenu* m_popup = nullptr;
};

}  // namespace sw
