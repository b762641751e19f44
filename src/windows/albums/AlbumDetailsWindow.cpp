#include "AlbumDetailsWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "foundation/Text.h"
#include "windows/main/WindowHelpers.h"

namespace sw {

namespace {

QPushButton* LinkButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet("text-align: left; color: #0645ad; text-decoration: underline; border: none;");
    return button;
}

QPushButton* ArrowButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(">", parent);
    button->setObjectName(name);
    button->setFixedWidth(28);
    return button;
}

/// A value with its ">" button right beside it.
QHBoxLayout* ValueWithButton(QWidget* value, QWidget* button) {
    auto* line = new QHBoxLayout;
    line->addWidget(value);
    line->addWidget(button);
    line->addStretch(1);
    return line;
}

}  // namespace

AlbumDetailsWindow::AlbumDetailsWindow(AlbumDetailsController& controller, QWidget* parent)
    : QMainWindow(parent), m_controller(controller) {
    setObjectName("FAlDets");
    setWindowTitle("Album details");
    BuildMenu();
    BuildLines();
    BuildPopups();
    m_controller.SetDisplay(this);
    resize(460, 320);
    DetailsChanged();
}

AlbumDetailsWindow::~AlbumDetailsWindow() {
    m_controller.SetDisplay(nullptr);
}

void AlbumDetailsWindow::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->addAction("Close", this, [this] { m_controller.Close(); });
    bar->addAction("Refresh", this, [this] { m_controller.Refresh(); });
    QMenu* rating = bar->addMenu("Rating");
    rating->setObjectName("ratingMenu");
    rating->addAction("Assign", this, [this] { m_controller.AssignRating(); });
    bar->addAction("Resequence", this, [this] { m_controller.Resequence(); });
    bar->addAction("Copy", this, [this] { m_controller.Copy(); });
    bar->addAction("Delete", this, [this] { m_controller.Delete(); });
}

QLabel* AlbumDetailsWindow::AddLine(int row, const QString& caption, const char* name) {
    auto* grid = static_cast<QGridLayout*>(centralWidget()->layout());
    grid->addWidget(new QLabel(caption, centralWidget()), row, 0);
    auto* value = new QLabel(centralWidget());
    value->setObjectName(name);
    value->setTextFormat(Qt::PlainText);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(value, row, 1);
    return value;
}

void AlbumDetailsWindow::BuildLines() {
    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    setCentralWidget(central);
    int row = 0;

    grid->addWidget(new QLabel("Name", central), row, 0);
    m_name = LinkButton(central, "name");
    m_name->setToolTip("Click to rename");
    m_name->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_name, &QPushButton::clicked, this, [this] { m_controller.Rename(); });
    connect(m_name, &QWidget::customContextMenuRequested, this, [this] { Popup(m_namePopup, m_name); });
    grid->addWidget(m_name, row++, 1, Qt::AlignLeft);

    m_artistCaption = new QLabel(central);
    m_artistCaption->setObjectName("artistCaption");
    grid->addWidget(m_artistCaption, row, 0);
    m_artist = LinkButton(central, "artist");
    m_artist->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_artist, &QPushButton::clicked, this, [this] { Popup(m_artistPopup, m_artist); });
    connect(m_artist, &QWidget::customContextMenuRequested, this, [this] { Popup(m_artistPopup, m_artist); });
    grid->addWidget(m_artist, row++, 1, Qt::AlignLeft);

    m_repairTs = AddLine(row++, "Repair timestamp ", "repairTs");
    m_year = AddLine(row++, "Year", "year");
    m_fileCount = AddLine(row++, "MP3/OGG file count", "fileCount");
    m_fileCount->setToolTip("Number of existing MP3/OGG files for this album");
    m_createTs = AddLine(row++, "Create timestamp ", "createTs");

    grid->addWidget(new QLabel("In album group ", central), row, 0);
    m_group = LinkButton(central, "group");
    m_group->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_group, &QPushButton::clicked, this, [this] { Popup(m_groupPopup, m_group); });
    connect(m_group, &QWidget::customContextMenuRequested, this, [this] { Popup(m_groupPopup, m_group); });
    grid->addWidget(m_group, row++, 1, Qt::AlignLeft);

    m_sequenceCaption = new QLabel("Sequence number", central);
    grid->addWidget(m_sequenceCaption, row, 0);
    m_sequence = LinkButton(central, "sequence");
    connect(m_sequence, &QPushButton::clicked, this, [this] { m_controller.Resequence(); });
    m_sequenceButton = ArrowButton(central, "sequenceButton");
    connect(m_sequenceButton, &QPushButton::clicked, this, [this] { m_controller.Resequence(); });
    grid->addLayout(ValueWithButton(m_sequence, m_sequenceButton), row++, 1);

    grid->addWidget(new QLabel("Assigned rating", central), row, 0);
    m_rating = LinkButton(central, "rating");
    connect(m_rating, &QPushButton::clicked, this, [this] { m_controller.AssignRating(); });
    QPushButton* ratingButton = ArrowButton(central, "ratingButton");
    connect(ratingButton, &QPushButton::clicked, this, [this] { m_controller.AssignRating(); });
    grid->addLayout(ValueWithButton(m_rating, ratingButton), row++, 1);

    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
}

void AlbumDetailsWindow::BuildPopups() {
    using Item = AlbumDetailsPopupItem;
    m_namePopup = new QMenu(this);
    m_namePopup->setObjectName("namePopup");
    m_popupItems[Item::RenameAlbum] =
        m_namePopup->addAction("Rename album", this, [this] { m_controller.Rename(); });

    m_artistPopup = new QMenu(this);
    m_artistPopup->setObjectName("artistPopup");
    m_popupItems[Item::ViewArtist] =
        m_artistPopup->addAction("View this artist", this, [this] { m_controller.ViewArtist(); });
    QMenu* assign = m_artistPopup->addMenu("Assign a different artist...");
    m_popupItems[Item::InputArtist] =
        assign->addAction("- input artist name", this, [this] { m_controller.InputArtist(); });
    m_popupItems[Item::PasteArtist] =
        assign->addAction("- paste artist", this, [this] { m_controller.PasteArtist(); });

    m_groupPopup = new QMenu(this);
    m_groupPopup->setObjectName("groupPopup");
    m_popupItems[Item::ViewGroup] =
        m_groupPopup->addAction("View this Group", this, [this] { m_controller.ViewGroup(); });
    m_popupItems[Item::AssignDifferentGroup] = m_groupPopup->addAction(
        "Assign different Group", this, [this] { m_controller.AssignDifferentGroup(); });
    m_popupItems[Item::PasteGroup] =
        m_groupPopup->addAction("Paste album group", this, [this] { m_controller.PasteGroup(); });
}

void AlbumDetailsWindow::ShowPopupStates() {
    using Item = AlbumDetailsPopupItem;
    PopupItem(Item::ViewArtist)->setEnabled(m_controller.ViewArtistEnabled());
    PopupItem(Item::PasteArtist)->setEnabled(m_controller.PasteArtistEnabled());
    SetMenuCaption(PopupItem(Item::PasteArtist), m_controller.PasteArtistCaption());
    PopupItem(Item::ViewGroup)->setEnabled(m_controller.ViewGroupEnabled());
    PopupItem(Item::PasteGroup)->setEnabled(m_controller.PasteGroupEnabled());
    SetMenuCaption(PopupItem(Item::PasteGroup), m_controller.PasteGroupCaption());
}

void AlbumDetailsWindow::Popup(QMenu* menu, QWidget* under) {
    ShowPopupStates();
    menu->popup(under->mapToGlobal(QPoint(0, under->height())));
}

void AlbumDetailsWindow::ShowDetailsWindow() {
    ShowRestored(this);
}

void AlbumDetailsWindow::DetailsChanged() {
    const AlbumDetailsText& text = m_controller.Text();
    setWindowTitle(text.caption.isEmpty() ? QString("Album details") : text.caption);
    m_name->setText(DoubleAmpersands(text.name));
    m_artistCaption->setText(text.artistCaption);
    m_artist->setText(DoubleAmpersands(text.artistName));
    m_repairTs->setText(text.repairTs);
    m_year->setText(text.year);
    m_fileCount->setText(text.fileCount);
    m_createTs->setText(text.createTs);
    m_group->setText(DoubleAmpersands(text.group));
    m_sequenceCaption->setVisible(text.sequenceShown);
    m_sequence->setVisible(text.sequenceShown);
    m_sequenceButton->setVisible(text.sequenceShown);
    m_sequence->setText(text.sequence);
    m_rating->setText(text.rating);
    ShowPopupStates();
}

void AlbumDetailsWindow::CloseDetailsWindow() {
    close();
}

void AlbumDetailsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        m_controller.Close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void AlbumDetailsWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    m_controller.WindowClosed();
}

}  // namespace sw
