#include "LoadWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include "FolderPane.h"
#include "core/Settings.h"
#include "foundation/QuietChange.h"

namespace sw {

namespace {

/// Events run after every entry and file so that Cancel is seen at once; the status line and the
/// selection are redrawn at this pace, which keeps a long run from spending its time painting.
constexpr int kRepaintMs = 40;

const QStringList kInstructions{
    "1. Select folder (left)",
    "2. Click \"List files to load\" (below)",
    "3. Click \"Load\" (below)",
};

void SetCheckQuietly(QAbstractButton* box, bool checked) {
    if (box->isChecked() == checked) {
        return;
    }
    SetQuietChange();
    box->setChecked(checked);
}

}  // namespace

LoadWindow::LoadWindow(FileImporter& importer, Settings& settings, QWidget* parent)
    : QMainWindow(parent), m_controller(importer), m_settings(settings) {
    setWindowTitle("Load");
    BuildLayout();
    m_controller.SetDisplay(this);
    m_pane->OpenFolder(QDir::homePath());
    ShowInstructions();
    ShowState();
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

LoadWindow::~LoadWindow() {
    m_controller.SetDisplay(nullptr);
}

void LoadWindow::BuildLayout() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    menuBar()->addAction("Close", this, &QWidget::close);

    m_back = new QPushButton(style()->standardIcon(QStyle::SP_ArrowBack), "back", central);
    m_refresh = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload), "refresh", central);
    m_count = new QLabel(central);
    m_back->setObjectName("back");
    m_refresh->setObjectName("refresh");
    m_count->setObjectName("count");
    m_count->setTextFormat(Qt::PlainText);
    m_back->setFocusPolicy(Qt::NoFocus);
    m_refresh->setFocusPolicy(Qt::NoFocus);
    auto* topBar = new QHBoxLayout;
    topBar->addWidget(m_back);
    topBar->addWidget(m_refresh);
    topBar->addSpacing(12);
    topBar->addWidget(m_count);
    topBar->addStretch();

    m_pane = new FolderPane(central);
    auto* left = new QWidget(central);
    auto* leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    leftColumn->addWidget(m_pane->Places());
    leftColumn->addWidget(m_pane->PathLine());
    leftColumn->addWidget(m_pane->Folders(), 3);
    leftColumn->addWidget(m_pane->Files(), 2);
    m_folderMenu = new QMenu(this);
    m_folderMenu->addAction("Back", this, &LoadWindow::GoToParentFolder);
    m_pane->Folders()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pane->Folders(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_folderMenu->popup(m_pane->Folders()->viewport()->mapToGlobal(at));
    });

    m_toLoad = new QListWidget(central);
    m_toLoad->setObjectName("toLoad");
    m_toLoad->setUniformItemSizes(true);
    m_toLoad->setFocusPolicy(Qt::NoFocus);
    m_list = new QPushButton("List files to load", central);
    m_subfolders = new QCheckBox("Also look in subfolders", central);
    m_skipLoaded = new QCheckBox("Skip if already loaded", central);
    m_skipLoaded->setToolTip("ie this file at this location is already in the database");
    m_cancel = new QPushButton("Close", central);
    m_loadOne = new QRadioButton("Load one", central);
    m_loadAll = new QRadioButton("Load all", central);
    m_loadAll->setChecked(true);
    m_load = new QPushButton("Load", central);
    m_list->setObjectName("list");
    m_subfolders->setObjectName("subfolders");
    m_skipLoaded->setObjectName("skipLoaded");
    m_cancel->setObjectName("cancel");
    m_loadOne->setObjectName("loadOne");
    m_loadAll->setObjectName("loadAll");
    m_load->setObjectName("load");

    auto* checks = new QVBoxLayout;
    checks->addWidget(m_subfolders);
    checks->addWidget(m_skipLoaded);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list);
    listRow->addLayout(checks);
    listRow->addStretch();
    listRow->addWidget(m_cancel);
    auto* loadRow = new QHBoxLayout;
    loadRow->addWidget(m_loadOne);
    loadRow->addWidget(m_loadAll);
    loadRow->addStretch();
    loadRow->addWidget(m_load);
    auto* right = new QWidget(central);
    auto* rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    rightColumn->addWidget(m_toLoad, 1);
    rightColumn->addLayout(listRow);
    rightColumn->addLayout(loadRow);

    auto* panes = new QSplitter(central);
    panes->addWidget(left);
    panes->addWidget(right);
    panes->setStretchFactor(0, 2);
    panes->setStretchFactor(1, 3);

    m_status = new QLabel(central);
    m_status->setObjectName("status");
    m_status->setAutoFillBackground(true);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setMinimumHeight(m_status->fontMetrics().height() + 6);
    // A long path in the status line is cut at the window's edge rather than widening the window.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* column = new QVBoxLayout(central);
    column->addLayout(topBar);
    column->addWidget(panes, 1);
    column->addWidget(m_status);
    resize(900, 560);

    connect(m_back, &QPushButton::clicked, this, &LoadWindow::GoToParentFolder);
    connect(m_refresh, &QPushButton::clicked, this, &LoadWindow::RefreshFolders);
    connect(m_list, &QPushButton::clicked, this, &LoadWindow::ListFilesToLoad);
    connect(m_cancel, &QPushButton::clicked, this, &LoadWindow::CancelOrClose);
    connect(m_load, &QPushButton::clicked, this, &LoadWindow::LoadListed);
    // The boxes only matter when a listing reads them; their handlers take the program's own changes.
    connect(m_subfolders, &QCheckBox::toggled, this, [] { TakeQuietChange(); });
    connect(m_skipLoaded, &QCheckBox::toggled, this, [] { TakeQuietChange(); });
    connect(m_toLoad, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_selecting && m_controller.HasListed()) {
            m_controller.SelectFile(row);
        }
    });
}

void LoadWindow::ShowLoadWindow() {
    m_controller.ShowLoadWindow();
    m_pane->Refresh();
    m_pane->OpenFolder(LoadStartFolder(m_settings.LoadPath, m_settings.Root, QDir::homePath()));
    SetCheckQuietly(m_skipLoaded, true);
    SetCheckQuietly(m_subfolders, false);
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
    m_pane->Folders()->setFocus();
}

QString LoadWindow::CurrentFolder() const {
    return m_pane->CurrentFolder();
}

void LoadWindow::ListFilesToLoad() {
    m_controller.ListFilesToLoad(m_pane->CurrentFolder(), m_subfolders->isChecked(),
                                 m_skipLoaded->isChecked());
}

void LoadWindow::LoadListed() {
    if (m_controller.LoadListed(m_loadAll->isChecked())) {
        close();
    }
}

void LoadWindow::CancelOrClose() {
    if (m_controller.CancelOrClose()) {
        close();
    }
}

void LoadWindow::GoToParentFolder() {
    if (m_pane->GoToParentFolder() == FolderBrowser::ParentStep::CloseWindow) {
        close();
    }
}

void LoadWindow::OpenFolder() {
    m_pane->OpenSelected();
}

void LoadWindow::RefreshFolders() {
    m_pane->Refresh();
}

void LoadWindow::closeEvent(QCloseEvent* event) {
    m_controller.StopRunning();
    m_settings.LoadPath = m_pane->CurrentFolder();
    event->accept();
}

bool LoadWindow::eventFilter(QObject* watched, QEvent* event) {
    // Pop-up menus keep their own keys.
    if (event->type() != QEvent::KeyPress || static_cast<QWidget*>(watched)->window() != this) {
        return QMainWindow::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    // In the path line the side arrows move through the text being typed.
    if (watched == m_pane->PathLine() && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        return QMainWindow::eventFilter(watched, event);
    }
    switch (key) {
        case Qt::Key_Escape:
        case Qt::Key_Left:
            GoToParentFolder();
            return true;
        case Qt::Key_Right:
            OpenFolder();
            return true;
        case Qt::Key_Up:
            m_pane->MoveSelection(-1);
            return true;
        case Qt::Key_Down:
            m_pane->MoveSelection(1);
            return true;
        default:
            return QMainWindow::eventFilter(watched, event);
    }
}

void LoadWindow::ShowInstructions() {
    m_toLoad->clear();
    for (const QString& line : kInstructions) {
        auto* item = new QListWidgetItem(line, m_toLoad);
        item->setFlags(Qt::ItemIsEnabled);
    }
}

void LoadWindow::ShowState() {
    const bool idle = m_controller.Busy() == LoadBusy::Idle;
    m_cancel->setText(m_controller.CancelCaption());
    m_count->setText(m_controller.CountText());
    m_count->setVisible(m_controller.CountShown());
    m_load->setEnabled(idle && m_controller.LoadEnabled());
    m_list->setEnabled(idle);
}

void LoadWindow::ListCleared() {
    m_pendingRows.clear();
    m_selecting = true;
    m_toLoad->clear();
    m_selecting = false;
}

void LoadWindow::FileListed(const QString& path) {
    m_pendingRows << path;
    if (m_controller.Busy() == LoadBusy::Idle) {
        ShowPending();
    }
}

void LoadWindow::FileSelected(int row) {
    m_pendingRow = row;
    m_rowPending = true;
    if (m_controller.Busy() == LoadBusy::Idle) {
        ShowPending();
    }
}

void LoadWindow::StatusChanged(const QString& text) {
    m_pendingStatus = text;
    m_statusPending = true;
    if (m_controller.Busy() == LoadBusy::Idle) {
        ShowPending();
    }
}

void LoadWindow::StateChanged() {
    ShowPending();
    ShowState();
    // What a loop shows first appears at once.
    m_sinceShown.invalidate();
}

void LoadWindow::PumpEvents() {
    if (!m_sinceShown.isValid() || m_sinceShown.elapsed() >= kRepaintMs) {
        ShowPending();
    }
    QCoreApplication::processEvents();
}

void LoadWindow::ShowPending() {
    if (m_pendingRows.isEmpty() && !m_rowPending && !m_statusPending) {
        return;
    }
    m_sinceShown.start();
    if (!m_pendingRows.isEmpty()) {
        m_selecting = true;
        m_toLoad->addItems(m_pendingRows);
        m_selecting = false;
        m_pendingRows.clear();
    }
    if (m_rowPending) {
        m_rowPending = false;
        m_selecting = true;
        m_toLoad->setCurrentRow(m_pendingRow);
        if (QListWidgetItem* item = m_toLoad->item(m_pendingRow)) {
            m_toLoad->scrollToItem(item);
        }
        m_selecting = false;
    }
    if (m_statusPending) {
        m_statusPending = false;
        QPalette palette = m_status->palette();
        palette.setColor(QPalette::Window, m_pendingStatus.isEmpty()
                                               ? QApplication::palette().color(QPalette::Window)
                                               : Qt::cyan);
        m_status->setPalette(palette);
        m_status->setText(m_pendingStatus.isEmpty() ? QString() : " " + m_pendingStatus);
    }
}

}  // namespace sw
