#include "SelectFolderDialog.h"

#include <QComboBox>
#include <QDir>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "FolderPane.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

constexpr char kTitle[] = "Select folder ";

}  // namespace

SelectFolderDialog::SelectFolderDialog(QWidget* parent) : QDialog(parent), m_pane(new FolderPane(this)) {
    auto* menu = new QMenuBar(this);
    menu->addAction("Close", this, &QDialog::reject);

    auto* hint = new QLabel("Single-click folder names to drill-down ", this);
    auto* back = new QPushButton("Back to parent folder", this);
    back->setObjectName("back");
    auto* lists = new QHBoxLayout;
    lists->addWidget(m_pane->Folders(), 1);
    lists->addWidget(m_pane->Files(), 1);
    auto* placeRow = new QHBoxLayout;
    placeRow->addWidget(new QLabel("Switch drive to ...", this));
    placeRow->addWidget(m_pane->Places(), 1);
    placeRow->addWidget(back);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* column = new QVBoxLayout(this);
    column->setMenuBar(menu);
    column->addWidget(hint);
    column->addWidget(m_pane->PathLine());
    column->addLayout(lists, 1);
    column->addLayout(placeRow);
    column->addWidget(buttons);
    resize(640, 420);

    m_folderMenu = new QMenu(this);
    m_folderMenu->addAction("Back", this, &SelectFolderDialog::GoToParentFolder);
    m_pane->Folders()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pane->Folders(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_folderMenu->popup(m_pane->Folders()->viewport()->mapToGlobal(at));
    });
    connect(back, &QPushButton::clicked, this, &SelectFolderDialog::GoToParentFolder);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_pane->SetFolderChanged([this] { setWindowTitle(kTitle + QuoteDouble(m_pane->CurrentFolder())); });
}

void SelectFolderDialog::GoToParentFolder() {
    m_pane->OpenParent();
}

bool SelectFolderDialog::Run(QString& path, const QString& titleSuffix) {
    // No folder given (no music root chosen yet): the user's own folder is the likeliest start.
    QString home = QDir::homePath();
    const QString folder = SeekFolderOfPath(path.trimmed().isEmpty() ? home : path);
    m_pane->Refresh();
    if (!m_pane->OpenFolder(folder)) {
        ShowInfo("path not found   " + folder);
    }
    // Opening the first folder is not the user's change: the caller's title stays until one.
    setWindowTitle(kTitle + titleSuffix);
    m_pane->Folders()->setFocus();
    if (exec() != QDialog::Accepted) {
        return false;
    }
    path = m_pane->CurrentFolder();
    return true;
}

bool SelectFolder(QString& path, const QString& titleSuffix, QWidget* parent) {
    SelectFolderDialog dialog(parent);
    return dialog.Run(path, titleSuffix);
}

}  // namespace sw
