#include "FolderPane.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QStyle>

#include "Places.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kIconSide = 16;
constexpr int kIndentStep = 12;

/// The folder icon moved right by its depth, so the list reads like a tree.
QIcon IndentedIcon(const QPixmap& folder, int depth, QSize size) {
    QPixmap canvas(size * folder.devicePixelRatio());
    canvas.setDevicePixelRatio(folder.devicePixelRatio());
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.drawPixmap(depth * kIndentStep, 0, folder);
    return QIcon(canvas);
}

}  // namespace

FolderPane::FolderPane(QWidget* owner)
    : QObject(owner),
      m_places(new QComboBox(owner)),
      m_folders(new QListWidget(owner)),
      m_files(new QListWidget(owner)),
      m_path(new QLineEdit(owner)) {
    m_places->setObjectName("places");
    m_path->setObjectName("path");
    m_path->setPlaceholderText("Type or paste a folder's path, then Enter");
    m_path->setClearButtonEnabled(true);
    // Enter belongs to the line: a dialog's default button must not take it as well.
    m_path->installEventFilter(this);
    m_folders->setObjectName("folders");
    m_files->setObjectName("files");
    m_files->setSelectionMode(QAbstractItemView::NoSelection);
    m_files->setFocusPolicy(Qt::NoFocus);
    m_folders->setUniformItemSizes(true);
    m_files->setUniformItemSizes(true);

    connect(m_places, &QComboBox::activated, this, [this](int index) { PlaceChosen(index); });
    connect(m_folders, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { FolderClicked(m_folders->row(item)); });
    // The file list is for looking only: a click hands the keys back to the folder list.
    connect(m_files, &QListWidget::itemClicked, m_folders, [this] { m_folders->setFocus(); });
    RefreshPlaces();
}

bool FolderPane::OpenFolder(const QString& folder) {
    const QString before = m_browser.CurrentFolder();
    if (!m_browser.OpenFolder(folder)) {
        return false;
    }
    Changed(before);
    return true;
}

bool FolderPane::OpenTypedPath(const QString& typed) {
    const QString folder = TypedFolder(typed, m_browser.CurrentFolder(), QDir::homePath());
    if (folder.isEmpty()) {
        ShowInfo("Folder not found\n" + QuoteDouble(typed.trimmed()));
        return false;
    }
    OpenFolder(folder);
    // Shown even when it was the current folder already: the line reads as the folder again.
    m_path->setText(m_browser.CurrentFolder());
    m_folders->setFocus();
    return true;
}

bool FolderPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_path && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OpenTypedPath(m_path->text());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool FolderPane::OpenSelected() {
    const QString before = m_browser.CurrentFolder();
    if (!m_browser.OpenSelected()) {
        // Gone since the list was read: show what is there now.
        Refresh();
        return false;
    }
    Changed(before);
    return true;
}

FolderBrowser::ParentStep FolderPane::GoToParentFolder() {
    const QString before = m_browser.CurrentFolder();
    const FolderBrowser::ParentStep step = m_browser.GoToParentFolder();
    if (step == FolderBrowser::ParentStep::Moved) {
        Changed(before);
    }
    return step;
}

bool FolderPane::OpenParent() {
    const QString before = m_browser.CurrentFolder();
    if (!m_browser.OpenParent()) {
        return false;
    }
    Changed(before);
    return true;
}

void FolderPane::Refresh() {
    const QString before = m_browser.CurrentFolder();
    RefreshPlaces();
    m_browser.Refresh();
    Changed(before);
}

void FolderPane::MoveSelection(int step) {
    m_browser.MoveSelection(step);
    ShowSelection();
}

void FolderPane::Changed(const QString& before) {
    Render();
    if (m_browser.CurrentFolder() != before && m_folderChanged) {
        m_folderChanged();
    }
}

void FolderPane::RefreshPlaces() {
    m_placeList = CurrentPlaces();
    m_showing = true;
    m_places->clear();
    m_places->addItems(m_placeList);
    m_showing = false;
    ShowPlace();
}

void FolderPane::Render() {
    m_showing = true;
    const auto& items = m_browser.Items();
    const int deepest = items.empty() ? 0 : items.back().depth;
    const QSize iconSize(kIconSide + deepest * kIndentStep, kIconSide);
    m_folders->setIconSize(iconSize);
    const QPixmap open = QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(kIconSide);
    const QPixmap closed = QApplication::style()->standardIcon(QStyle::SP_DirIcon).pixmap(kIconSide);
    m_folders->clear();
    for (const FolderItem& folder : items) {
        auto* item = new QListWidgetItem(IndentedIcon(folder.inChain ? open : closed, folder.depth, iconSize),
                                         folder.name);
        item->setData(kPathRole, folder.path);
        item->setToolTip(folder.path);
        m_folders->addItem(item);
    }
    m_files->clear();
    if (!m_browser.CurrentReadable()) {
        auto* item = new QListWidgetItem("(this folder cannot be read)");
        item->setFlags(Qt::NoItemFlags);
        m_files->addItem(item);
    }
    m_files->addItems(m_browser.Files());
    m_path->setText(m_browser.CurrentFolder());
    m_showing = false;
    ShowSelection();
    ShowPlace();
}

void FolderPane::ShowSelection() {
    m_showing = true;
    const int selected = m_browser.Selected();
    m_folders->setCurrentRow(selected);
    if (QListWidgetItem* item = m_folders->item(selected)) {
        m_folders->scrollToItem(item);
    }
    m_showing = false;
}

void FolderPane::ShowPlace() {
    const int index = static_cast<int>(m_placeList.indexOf(PlaceOf(m_browser.CurrentFolder(), m_placeList)));
    m_showing = true;
    m_places->setCurrentIndex(index);
    m_showing = false;
}

void FolderPane::PlaceChosen(int index) {
    if (m_showing || index < 0 || index >= m_placeList.size()) {
        return;
    }
    const QString place = m_placeList[index];
    if (!QFileInfo(place).isDir()) {
        ShowInfo("Drive " + place + " not found");
        ShowPlace();
        return;
    }
    OpenFolder(place);
}

void FolderPane::FolderClicked(int row) {
    if (m_showing) {
        return;
    }
    m_browser.Select(row);
    OpenSelected();
}

}  // namespace sw
