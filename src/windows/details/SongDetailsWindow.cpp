#include "SongDetailsWindow.h"

#include <QCursor>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "windows/main/Grid.h"
#include "windows/main/WindowHelpers.h"
#include "core/RowSetModel.h"
#include "foundation/Dates.h"

namespace sw {

namespace {

const std::array<QString, kDetailsFieldCount> kFieldCaptions = {"Title", "Artist", "Album",  "Track",
                                                                "Year",  "Genre",  "Comment"};
const std::array<QString, 10> kFactCaptions = {"Song number ", "File size",         "Duration", "Created ",
                                               "Last edited ", "SearchTS",          "created",  "modified",
                                               "Actual size",  "Relative filename "};

/// Only the MP3 tag pages remove and write their tags; the M4A and WMA tag is never written.
bool HasTagButtons(TagKind kind) {
    return kind == TagKind::Id3v1 || kind == TagKind::Id3v2;
}

QPushButton* LinkButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet("text-align: left; color: #0645ad; text-decoration: underline; border: none;");
    return button;
}

}  // namespace

SongDetailsWindow::SongDetailsWindow(SongDetailsController& controller, QWidget* parent)
    : QMainWindow(parent), m_controller(controller) {
    setObjectName("fsongdets");
    setWindowTitle("Song details");
    m_pages = new QTabWidget(this);
    m_pages->addTab(BuildCataloguePage(), QString());
    m_pages->addTab(BuildFileSystemPage(), QString());
    m_pages->addTab(BuildTagPage(TagKind::Id3v1), QString());
    m_pages->addTab(BuildTagPage(TagKind::Id3v2), QString());
    m_pages->addTab(BuildTagPage(TagKind::Ogg), QString());
    m_pages->addTab(BuildTagPage(TagKind::Container), QString());
    m_pages->addTab(BuildPlaylistsPage(), QString());
    m_pages->addTab(BuildHistoryPage(), QString());
    setCentralWidget(m_pages);
    m_status = new QLabel(this);
    m_status->setObjectName("status");
    m_status->setAutoFillBackground(true);
    statusBar()->addWidget(m_status, 1);
    BuildMenu();
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_filling) {
            m_controller.PageShown(static_cast<DetailsPage>(index));
        }
    });
    m_controller.SetDisplay(this);
    // Wide enough for all eight page tabs side by side.
    resize(980, 480);
    HooksChanged();
    DetailsChanged();
}

SongDetailsWindow::~SongDetailsWindow() {
    m_controller.SetDisplay(nullptr);
}

void SongDetailsWindow::BuildMenu() {
    using C = SongDetailsCommand;
    QMenuBar* bar = menuBar();
    m_commands[C::Close] = bar->addAction("Close", this, &QWidget::close);
    m_commands[C::Refresh] = bar->addAction("Refresh", this, [this] { m_controller.Refresh(); });
    QMenu* list = bar->addMenu("List");
    m_commands[C::SongsWithTitle] = list->addAction("Songs with this Title", this,
                                                    [this] { m_controller.ListSongsLike(SongsLike::Title); });
    m_commands[C::SongsByArtist] = list->addAction("Songs by this Artist", this,
                                                   [this] { m_controller.ListSongsLike(SongsLike::Artist); });
    m_commands[C::SongsOnAlbum] = list->addAction("Songs on this Album", this,
                                                  [this] { m_controller.ListSongsLike(SongsLike::Album); });
    m_commands[C::SongsInGenre] = list->addAction("Songs in this Genre", this,
                                                  [this] { m_controller.ListSongsLike(SongsLike::Genre); });
    m_commands[C::Edit] = bar->addAction("Edit", this, [this] { m_controller.Edit(); });
    QMenu* remove = bar->addMenu("Delete");
    m_commands[C::DeleteFile] = remove->addAction("Delete music file", this,
                                                  [this] { m_controller.Remove(RemoveAction::DeleteFile); });
    m_commands[C::RemoveSong] = remove->addAction("Remove song from database", this,
                                                  [this] { m_controller.Remove(RemoveAction::RemoveSong); });
    m_commands[C::DeleteAndRemove] = remove->addAction(
        "Delete && Remove", this, [this] { m_controller.Remove(RemoveAction::DeleteAndRemove); });
    m_commands[C::Duplicates] = bar->addAction("Duplicates", this, [this] { m_controller.Duplicates(); });
    m_commands[C::Copy] = bar->addAction("Copy", this, [this] { m_controller.Copy(); });
}

QWidget* SongDetailsWindow::BuildCataloguePage() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    for (int i = 0; i < kDetailsFieldCount; ++i) {
        auto* caption = new QLabel(kFieldCaptions[static_cast<std::size_t>(i)], page);
        caption->setObjectName("caption" + kFieldCaptions[static_cast<std::size_t>(i)]);
        caption->setAutoFillBackground(true);
        auto* value = new QLabel(page);
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_captions[static_cast<std::size_t>(i)] = caption;
        m_values[static_cast<std::size_t>(i)] = value;
        grid->addWidget(caption, i, 0);
        auto* line = new QHBoxLayout;
        line->addWidget(value);
        const auto field = static_cast<DetailsField>(i);
        if (field == DetailsField::Album || field == DetailsField::Artist || field == DetailsField::Genre) {
            auto* button = new QPushButton(">", page);
            button->setFixedWidth(28);
            line->addWidget(button);
            if (field == DetailsField::Album) {
                m_albumButton = button;
                connect(button, &QPushButton::clicked, this, [this] { m_controller.AlbumDetails(); });
            } else if (field == DetailsField::Artist) {
                m_artistButton = button;
                connect(button, &QPushButton::clicked, this, [this] { m_controller.ArtistDetails(); });
            } else {
                m_genreButton = button;
                connect(button, &QPushButton::clicked, this, [this] { m_controller.GenreDetails(); });
            }
        }
        line->addStretch(1);
        grid->addLayout(line, i, 1);
    }
    const int row = kDetailsFieldCount;
    grid->addWidget(new QLabel("Rating", page), row, 0);
    auto* line = new QHBoxLayout;
    m_ratingSymbol = new QLabel(page);
    m_ratingSymbol->setObjectName("ratingSymbol");
    m_rating = new QLabel(page);
    m_rating->setObjectName("rating");
    m_ratingUp = new QPushButton("+", page);
    m_ratingDown = new QPushButton("-", page);
    m_ratingUp->setFixedWidth(28);
    m_ratingDown->setFixedWidth(28);
    connect(m_ratingUp, &QPushButton::clicked, this, [this] { m_controller.StepRating(1); });
    connect(m_ratingDown, &QPushButton::clicked, this, [this] { m_controller.StepRating(-1); });
    line->addWidget(m_ratingSymbol);
    line->addWidget(m_rating);
    line->addWidget(m_ratingUp);
    line->addWidget(m_ratingDown);
    line->addStretch(1);
    grid->addLayout(line, row, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row + 1, 1);
    return page;
}

QWidget* SongDetailsWindow::BuildFileSystemPage() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    int row = 0;
    m_fileFound = new QLabel(page);
    m_fileFound->setObjectName("fileFound");
    grid->addWidget(m_fileFound, row++, 0, 1, 2);
    auto* remind = LinkButton(page);
    remind->setText(" Database needs to be reminded of this ");
    remind->setObjectName("remind");
    connect(remind, &QPushButton::clicked, this, [this] { m_controller.RemindCatalogue(); });
    grid->addWidget(remind, row++, 0, 1, 2);
    m_fileName = new QLabel(page);
    m_fileName->setTextFormat(Qt::PlainText);
    m_folder = new QLabel(page);
    m_folder->setTextFormat(Qt::PlainText);
    grid->addWidget(new QLabel("File name", page), row, 0);
    grid->addWidget(m_fileName, row++, 1);
    grid->addWidget(new QLabel("Folder", page), row, 0);
    grid->addWidget(m_folder, row++, 1);
    for (std::size_t i = 0; i < m_facts.size(); ++i) {
        auto* caption = new QLabel(kFactCaptions[i], page);
        caption->setObjectName("factCaption" + QString::number(i));
        if (i == 1) {
            m_sizeCaption = caption;
        }
        grid->addWidget(caption, row, 0);
        if (i + 1 == m_facts.size()) {
            auto* link = LinkButton(page);
            link->setObjectName("relativeFilename");
            link->setToolTip("Click to link this song to another file");
            connect(link, &QPushButton::clicked, this, [this] { m_controller.RelinkSongFile(); });
            m_relativeName = new QLabel(page);
            m_relativeName->hide();
            grid->addWidget(link, row++, 1);
            m_facts[i] = m_relativeName;
        } else {
            auto* value = new QLabel(page);
            value->setTextFormat(Qt::PlainText);
            m_facts[i] = value;
            grid->addWidget(value, row++, 1);
        }
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* SongDetailsWindow::BuildTagPage(TagKind kind) {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    TagWidgets& w = m_tagWidgets[static_cast<std::size_t>(kind)];
    w.notFound = new QLabel(page);
    w.notFound->setObjectName("tagNotFound");
    layout->addWidget(w.notFound);
    w.panel = new QWidget(page);
    auto* panelLayout = new QVBoxLayout(w.panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    w.note = new QLabel(w.panel);
    w.note->setObjectName("tagNote");
    w.note->setTextFormat(Qt::PlainText);
    panelLayout->addWidget(w.note);
    w.lines = new QVBoxLayout;
    panelLayout->addLayout(w.lines);
    layout->addWidget(w.panel);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    w.remove = new QPushButton("Remove tag", page);
    w.remove->setObjectName("removeTag");
    w.write = new QPushButton("Write tag", page);
    w.write->setObjectName("writeTag");
    if (!HasTagButtons(kind)) {
        w.remove->hide();
        w.write->hide();
    }
    connect(w.remove, &QPushButton::clicked, this, [this, kind] { m_controller.RemoveTag(kind); });
    connect(w.write, &QPushButton::clicked, this, [this, kind] { m_controller.WriteTag(kind); });
    buttons->addWidget(w.remove);
    buttons->addWidget(w.write);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return page;
}

QWidget* SongDetailsWindow::BuildPlaylistsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    m_playlistGrid = new QTableView(page);
    m_playlistGrid->setObjectName("playlistGrid");
    SetUpGrid(m_playlistGrid);
    m_playlistModel = new RowSetModel(m_playlistGrid);
    m_playlistGrid->setModel(m_playlistModel);
    layout->addWidget(m_playlistGrid);
    auto* add = new QPushButton("Add to another playlist", page);
    add->setObjectName("addToAnother");
    connect(add, &QPushButton::clicked, this, [this] { m_controller.AddToAnotherPlaylist(); });
    layout->addWidget(add, 0, Qt::AlignLeft);
    m_playlistPopup = new QMenu(this);
    m_commands[SongDetailsCommand::ViewPlaylist] = m_playlistPopup->addAction(
        "View playlist", this, [this] { m_controller.ViewPlaylist(m_playlistGrid->currentIndex().row()); });
    m_commands[SongDetailsCommand::DropFromPlaylist] = m_playlistPopup->addAction(
        "Drop song from this playlist", this,
        [this] { m_controller.DropFromPlaylist(m_playlistGrid->currentIndex().row()); });
    m_playlistGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_playlistGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = m_playlistGrid->indexAt(at);
        if (index.isValid()) {
            m_playlistGrid->setCurrentIndex(index);
            m_playlistPopup->popup(m_playlistGrid->viewport()->mapToGlobal(at));
        }
    });
    return page;
}

QWidget* SongDetailsWindow::BuildHistoryPage() {
    m_historyGrid = new QTableView(this);
    m_historyGrid->setObjectName("historyGrid");
    SetUpGrid(m_historyGrid);
    m_historyModel = new RowSetModel(m_historyGrid);
    m_historyGrid->setModel(m_historyModel);
    m_historyPopup = new QMenu(this);
    m_commands[SongDetailsCommand::ListSongsPlayed] = m_historyPopup->addAction(
        "List songs played", this,
        [this] { m_controller.ListSongsPlayed(m_historyGrid->currentIndex().row()); });
    m_historyGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_historyGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = m_historyGrid->indexAt(at);
        if (index.isValid()) {
            m_historyGrid->setCurrentIndex(index);
            m_historyPopup->popup(m_historyGrid->viewport()->mapToGlobal(at));
        }
    });
    connect(m_historyGrid, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { m_controller.ListSongsPlayed(index.row()); });
    return m_historyGrid;
}

void SongDetailsWindow::HooksChanged() {
    const SongDetailsHooks& hooks = m_controller.Hooks();
    m_albumButton->setEnabled(static_cast<bool>(hooks.albumDetails));
    m_artistButton->setEnabled(static_cast<bool>(hooks.artistDetails));
    m_genreButton->setEnabled(static_cast<bool>(hooks.genreDetails));
    using C = SongDetailsCommand;
    Command(C::Edit)->setEnabled(static_cast<bool>(hooks.editSong));
    for (const C command : {C::SongsWithTitle, C::SongsByArtist, C::SongsOnAlbum, C::SongsInGenre}) {
        Command(command)->setEnabled(static_cast<bool>(hooks.listSongsLike));
    }
    Command(C::ViewPlaylist)->setEnabled(static_cast<bool>(hooks.viewPlaylist));
    Command(C::ListSongsPlayed)->setEnabled(static_cast<bool>(hooks.listDay));
    findChild<QPushButton*>("addToAnother")->setEnabled(static_cast<bool>(hooks.selectPlaylist));
}

void SongDetailsWindow::ShowDetailsWindow() {
    ShowRestored(this);
}

void SongDetailsWindow::CloseDetailsWindow() {
    close();
}

void SongDetailsWindow::SelectPage(DetailsPage page) {
    m_filling = true;
    m_pages->setCurrentIndex(static_cast<int>(page));
    m_filling = false;
}

void SongDetailsWindow::PointAtFileSize() {
    if (m_sizeCaption != nullptr && m_sizeCaption->isVisible()) {
        QCursor::setPos(m_sizeCaption->mapToGlobal(m_sizeCaption->rect().center()));
    }
}

QString SongDetailsWindow::ChooseAudioFile(const QString& startFolder) {
    return QFileDialog::getOpenFileName(this, "Link this song to the file", startFolder,
                                        "Audio files (*.mp3 *.ogg *.wav *.m4a *.wma *.MP3 *.OGG *.WAV "
                                        "*.M4A *.WMA);;All files (*)");
}

void SongDetailsWindow::DetailsChanged() {
    const SongDetailsController& c = m_controller;
    const SongDetailsText& t = c.Text();
    setWindowTitle(t.windowCaption.isEmpty() ? "Song details" : t.windowCaption);
    m_filling = true;
    for (int i = 0; i < kDetailsPageCount; ++i) {
        m_pages->setTabText(i, c.PageCaption(static_cast<DetailsPage>(i)));
    }
    m_filling = false;
    const std::array<QString, kDetailsFieldCount> values = {t.title, t.artist, t.album,  t.track,
                                                            t.year,  t.genre,  t.comment};
    for (int i = 0; i < kDetailsFieldCount; ++i) {
        m_values[static_cast<std::size_t>(i)]->setText(values[static_cast<std::size_t>(i)]);
        QLabel* caption = m_captions[static_cast<std::size_t>(i)];
        QPalette palette = caption->palette();
        palette.setColor(QPalette::Window, c.Highlighted(static_cast<DetailsField>(i))
                                               ? QColor(Qt::yellow)
                                               : m_pages->palette().color(QPalette::Window));
        caption->setPalette(palette);
    }
    m_ratingSymbol->setText(t.ratingSymbol);
    QFont symbolFont = font();
    symbolFont.setPointSize(t.symbolFont ? font().pointSize() + 4 : font().pointSize());
    m_ratingSymbol->setFont(symbolFont);
    m_rating->setText(t.rating);
    m_ratingUp->setEnabled(c.Song().Rating < 4);
    m_ratingDown->setEnabled(c.Song().Rating > -2);

    m_fileFound->setText(t.fileFound);
    findChild<QPushButton*>("remind")->setVisible(t.remindVisible);
    m_fileName->setText(t.fileName);
    m_folder->setText(t.folder);
    const std::array<QString, 10> facts = {t.songNumber,     t.fileSize,        t.duration,    t.created,
                                           t.lastEdited,     t.searchTs,        t.fileCreated, t.fileModified,
                                           t.actualFileSize, t.relativeFileName};
    for (std::size_t i = 0; i < facts.size(); ++i) {
        m_facts[i]->setText(facts[i]);
        const bool visible = !facts[i].isEmpty() || i + 1 == facts.size();
        findChild<QLabel*>("factCaption" + QString::number(i))->setVisible(visible);
        if (i + 1 == facts.size()) {
            for (QPushButton* button : findChildren<QPushButton*>("relativeFilename")) {
                button->setText(facts[i].isEmpty() ? QString("(none)") : facts[i]);
            }
        } else {
            m_facts[i]->setVisible(visible);
        }
    }
    Command(SongDetailsCommand::DeleteFile)->setEnabled(t.deleteEnabled);
    Command(SongDetailsCommand::DeleteAndRemove)->setEnabled(t.deleteEnabled);
    for (int kind = 0; kind < kTagKindCount; ++kind) {
        FillTagPage(static_cast<TagKind>(kind));
    }

    auto column = [](const QString& caption, std::function<QString(int)> text, Qt::Alignment alignment) {
        GridColumn grid;
        grid.caption = caption;
        grid.text = std::move(text);
        grid.alignment = alignment | Qt::AlignVCenter;
        return grid;
    };
    // By position: the queries' columns are known, and a window not yet filled has no columns.
    const RowSet& playlists = c.PlaylistRows();
    auto cell = [](const RowSet& rows, int index) {
        return [&rows, index](int row) {
            const QVariant value = rows.Value(row, index);
            return value.isNull() ? QString() : value.toString();
        };
    };
    m_playlistModel->Show(&playlists, {column("Playlist name", cell(playlists, 2), Qt::AlignLeft),
                                       column("Seq", cell(playlists, 1), Qt::AlignRight)});
    const RowSet& history = c.HistoryRows();
    auto number = [&history](int row, int field, QString (*format)(int)) {
        const QVariant value = history.Value(row, field);
        return value.isNull() ? QString() : format(value.toInt());
    };
    m_historyModel->Show(
        &history, {column(
                       "Date", [number](int row) { return number(row, 0, DateNumberText); }, Qt::AlignLeft),
                   column(
                       "Time", [number](int row) { return number(row, 1, TimeNumberText); }, Qt::AlignLeft)});
    AutoSizeColumns(m_playlistGrid);
    AutoSizeColumns(m_historyGrid);

    const QString status = c.StatusText();
    m_status->setText(status);
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::Window, status.isEmpty() ? palette.color(QPalette::Base) : QColor(Qt::cyan));
    m_status->setPalette(palette);
}

void SongDetailsWindow::FillTagPage(TagKind kind) {
    const TagPageView& view = m_controller.TagPage(kind);
    TagWidgets& w = m_tagWidgets[static_cast<std::size_t>(kind)];
    while (QLayoutItem* item = w.lines->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const auto& [caption, value] : view.lines) {
        auto* line = new QLabel(caption.trimmed() + (caption.endsWith("= ") ? "" : ":  ") + value, w.panel);
        line->setTextFormat(Qt::PlainText);
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        w.lines->addWidget(line);
    }
    w.note->setText(view.note);
    w.note->setVisible(!view.note.isEmpty());
    w.panel->setVisible(view.found);
    w.notFound->setText(view.notFoundText);
    w.notFound->setVisible(!view.found);
    if (HasTagButtons(kind)) {
        w.remove->setVisible(view.removeVisible);
        w.write->setText(view.writeCaption);
        w.write->setEnabled(m_controller.Song().FileFound && m_controller.Song().FileType == "MP3");
    }
}

void SongDetailsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

}  // namespace sw
