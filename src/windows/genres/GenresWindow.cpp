#include "GenresWindow.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "GenreDetailsDialog.h"

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
    using C = GenresCommand;
    QMenuBar* bar = menuBar();
    m_commands[C::Close] = bar->addAction("Close", this, [this] { m_controller.CloseCommand(); });
    m_commands[C::Load] = bar->addAction("Load", this, [this] { m_controller.LoadCommand(); });
    m_commands[C::Refresh] = bar->addAction("Refresh", this, [this] { m_controller.RefreshCommand(); });

    m_sequenceMenu = bar->addMenu("Sequence");
    auto* sequence = new QActionGroup(this);
    m_commands[C::ById] = AddRadioItem(m_sequenceMenu, sequence, "by Id");
    m_commands[C::ByName] = AddRadioItem(m_sequenceMenu, sequence, "by Name");
    m_commands[C::SequenceHint] = m_sequenceMenu->addAction("(or click on column headings)");
    m_commands[C::SequenceHint]->setEnabled(false);
    connect(Command(C::ById), &QAction::triggered, this, [this] { m_controller.SetSort(GenreSort::ById); });
    connect(Command(C::ByName), &QAction::triggered, this,
            [this] { m_controller.SetSort(GenreSort::ByName); });

    m_filterMenu = bar->addMenu("Filter");
    auto* filter = new QActionGroup(this);
    m_commands[C::InUse] = AddRadioItem(m_filterMenu, filter, "in use");
    m_commands[C::Available] = AddRadioItem(m_filterMenu, filter, "available");
    m_commands[C::All] = AddRadioItem(m_filterMenu, filter, "all (incl dormants)");
    connect(Command(C::InUse), &QAction::triggered, this,
            [this] { m_controller.SetFilter(GenreFilter::InUse); });
    connect(Command(C::Available), &QAction::triggered, this,
            [this] { m_controller.SetFilter(GenreFilter::Available); });
    connect(Command(C::All), &QAction::triggered, this, [this] { m_controller.SetFilter(GenreFilter::All); });

    m_commands[C::New] = bar->addAction("New", this, [this] { m_controller.NewCommand(); });

    m_popup = new QMenu(this);
    m_commands[C::ListTracks] =
        m_popup->addAction("List tracks", this, [this] { m_controller.ListTracks(); });
    m_commands[C::Edit] = m_popup->addAction("Edit", this, [this] { m_controller.EditCommand(); });
    m_commands[C::Delete] = m_popup->addAction("Delete", this, [this] { m_controller.DeleteCommand(); });
}

void GenresWindow::PopupRequested(int row, const QPoint& at) {
    m_controller.PopupOpening(row);
    m_popup->popup(at);
}

void GenresWindow::StateChanged() {
    CountLabel()->setText(m_controller.ListOpen() ? m_controller.CountLabel() : QString());
    using C = GenresCommand;
    Command(C::ById)->setChecked(m_controller.Sort() == GenreSort::ById);
    Command(C::ByName)->setChecked(m_controller.Sort() == GenreSort::ByName);
    Command(C::InUse)->setChecked(m_controller.Filter() == GenreFilter::InUse);
    Command(C::Available)->setChecked(m_controller.Filter() == GenreFilter::Available);
    Command(C::All)->setChecked(m_controller.Filter() == GenreFilter::All);
    m_filterMenu->setTitle(m_controller.FilterCaption());
}

}  // namespace sw
