#include "GenresWindow.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "GenreDetailsDialog.h"
#include "windows/main/WindowHelpers.h"

namespace sw {

namespace {

QAction* AddRadioItem(QMenu* menu, QActionGroup* group, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setCheckable(true);
    group->addAction(item);
    return item;
}

}  // namespace

GenresWindow::GenresWindow(GenresController& controller, QWidget* parent)
    : LibraryListWindow(controller.Model(), {.searchBox = true, .pickBar = true}, parent),
      m_controller(controller) {
    setObjectName("FGenres");
    setWindowTitle("Genres");
    BuildMenus();
    m_details = new GenreDetailsDialog(controller.Details(), this);
    resize(340, 520);
    m_controller.SetDisplay(this);
    StateChanged();
}

GenresWindow::~GenresWindow() {
    m_controller.SetDisplay(nullptr);
}

void GenresWindow::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->addAction("Close", this, [this] { m_controller.CloseCommand(); });
    bar->addAction("Load", this, [this] { m_controller.LoadCommand(); });
    bar->addAction("Refresh", this, [this] { m_controller.RefreshCommand(); });

    m_sequenceMenu = bar->addMenu("Sequence");
    auto* sequence = new QActionGroup(this);
    m_byId = AddRadioItem(m_sequenceMenu, sequence, "by Id");
    m_byName = AddRadioItem(m_sequenceMenu, sequence, "by Name");
    m_sequenceMenu->addAction("(or click on column headings)")->setEnabled(false);
    connect(m_byId, &QAction::triggered, this, [this] { m_controller.SetSort(GenreSort::ById); });
    connect(m_byName, &QAction::triggered, this, [this] { m_controller.SetSort(GenreSort::ByName); });

    m_filterMenu = bar->addMenu("Filter");
    auto* filter = new QActionGroup(this);
    m_inUse = AddRadioItem(m_filterMenu, filter, "in use");
    m_available = AddRadioItem(m_filterMenu, filter, "available");
    m_all = AddRadioItem(m_filterMenu, filter, "all (incl dormants)");
    connect(m_inUse, &QAction::triggered, this, [this] { m_controller.SetFilter(GenreFilter::InUse); });
    connect(m_available, &QAction::triggered, this,
            [this] { m_controller.SetFilter(GenreFilter::Available); });
    connect(m_all, &QAction::triggered, this, [this] { m_controller.SetFilter(GenreFilter::All); });

    bar->addAction("New", this, [this] { m_controller.NewCommand(); });

    m_popup = new QMenu(this);
    m_popup->addAction("List tracks", this, [this] { m_controller.ListTracks(); });
    m_popup->addAction("Edit", this, [this] { m_controller.EditCommand(); });
    m_popup->addAction("Delete", this, [this] { m_controller.DeleteCommand(); });
}

QAction* GenresWindow::Command(const QString& caption) const {
    return FindAction(this, caption);
}

void GenresWindow::PopupRequested(int row, const QPoint& at) {
    m_controller.PopupOpening(row);
    m_popup->popup(at);
}

void GenresWindow::StateChanged() {
    CountLabel()->setText(m_controller.ListOpen() ? m_controller.CountLabel() : QString());
    m_byId->setChecked(m_controller.Sort() == GenreSort::ById);
    m_byName->setChecked(m_controller.Sort() == GenreSort::ByName);
    m_inUse->setChecked(m_controller.Filter() == GenreFilter::InUse);
    m_available->setChecked(m_controller.Filter() == GenreFilter::Available);
    m_all->setChecked(m_controller.Filter() == GenreFilter::All);
    m_filterMenu->setTitle(m_controller.FilterCaption());
}

}  // namespace sw
