#include "EditSongWindow.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/AlbumRecords.h"
#include "core/Library.h"

namespace sw {

EditSongWindow::EditSongWindow(EditSongController& controller, QWidget* parent)
    : QDialog(parent), m_controller(controller) {
    setObjectName("ftag2");
    setWindowTitle("Edit song details");
    auto* outer = new QVBoxLayout(this);
    auto* menu = new QMenuBar(this);
    menu->addAction("Close", this, [this] { Finish(EditClose::Cancel); });
    outer->setMenuBar(menu);

    m_songNum = new QLabel(this);
    m_fullPath = new QLabel(this);
    m_fullPath->setTextFormat(Qt::PlainText);
    outer->addWidget(m_songNum);
    auto* pathLine = new QHBoxLayout;
    pathLine->addWidget(new QLabel("Full filename ", this));
    pathLine->addWidget(m_fullPath, 1);
    outer->addLayout(pathLine);

    auto* sides = new QHBoxLayout;
    auto* catalogue = new QGridLayout;
    QLineEdit* title = AddEdit("Title", EditBox::Title, 0);
    auto* fn = new QPushButton("Fn", this);
    fn->setObjectName("fn");
    fn->setToolTip("Copy filename (excl path & \".MP3\" extension) to Title ");
    connect(fn, &QPushButton::clicked, this, [this] { m_controller.TitleFromFileName(); });
    catalogue->addWidget(new QLabel("Title", this), 0, 0);
    catalogue->addWidget(title, 0, 1);
    catalogue->addWidget(fn, 0, 2);
    QLineEdit* artist = AddEdit("Artist", EditBox::Artist, 1);
    QLineEdit* album = AddEdit("Album", EditBox::Album, 2);
    catalogue->addWidget(new QLabel("Artist", this), 1, 0);
    catalogue->addWidget(artist, 1, 1, 1, 2);
    catalogue->addWidget(new QLabel("Album", this), 2, 0);
    catalogue->addWidget(album, 2, 1, 1, 2);
    for (QLineEdit* edit : {artist, album}) {
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QWidget::customContextMenuRequested, this, [this, edit, artist](const QPoint& at) {
            QMenu popup(this);
            const Clipboard& clipboard = m_controller.Copied();
            if (edit == artist) {
                popup.addAction(PasteArtistCaption(clipboard), this, [this] { m_controller.PasteArtist(); });
            } else {
                popup.addAction(PasteAlbumCaption(clipboard), this, [this] { m_controller.PasteAlbum(); });
            }
            popup.exec(edit->mapToGlobal(at));
        });
    }
    m_track = new QSpinBox(this);
    m_track->setObjectName("track");
    m_track->setRange(0, 999);
    connect(m_track, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_filling) {
            m_controller.SetTrackBox(value);
        }
    });
    catalogue->addWidget(new QLabel("Track", this), 3, 0);
    catalogue->addWidget(m_track, 3, 1, Qt::AlignLeft);
    QLineEdit* year = AddEdit("Year", EditBox::Year, 4);
    year->setMaxLength(4);
    catalogue->addWidget(new QLabel("Year", this), 4, 0);
    catalogue->addWidget(year, 4, 1, Qt::AlignLeft);
    catalogue->addWidget(new QLabel("Comment", this), 5, 0);
    catalogue->addWidget(AddEdit("Comment", EditBox::Comment, 5), 5, 1, 1, 2);
    m_genre = new QLabel(this);
    m_genre->setObjectName("genre");
    auto* pick = new QPushButton(">", this);
    pick->setObjectName("pickGenre");
    pick->setToolTip("Select genre");
    connect(pick, &QPushButton::clicked, this, [this] { m_controller.PickGenre(); });
    catalogue->addWidget(new QLabel("Genre ", this), 6, 0);
    catalogue->addWidget(m_genre, 6, 1);
    catalogue->addWidget(pick, 6, 2);
    auto* ratingLine = new QHBoxLayout;
    m_ratingSymbol = new QLabel(this);
    m_rating = new QLabel(this);
    m_rating->setObjectName("rating");
    auto* up = new QPushButton("+", this);
    up->setObjectName("ratingUp");
    auto* down = new QPushButton("-", this);
    down->setObjectName("ratingDown");
    connect(up, &QPushButton::clicked, this, [this] { m_controller.StepRating(1); });
    connect(down, &QPushButton::clicked, this, [this] { m_controller.StepRating(-1); });
    ratingLine->addWidget(m_ratingSymbol);
    ratingLine->addWidget(m_rating);
    ratingLine->addWidget(up);
    ratingLine->addWidget(down);
    ratingLine->addStretch(1);
    catalogue->addWidget(new QLabel("Rating", this), 7, 0);
    catalogue->addLayout(ratingLine, 7, 1, 1, 2);
    m_size = new QLabel(this);
    m_created = new QLabel(this);
    m_edited = new QLabel(this);
    m_duration = new QLabel(this);
    catalogue->addWidget(m_size, 8, 1);
    catalogue->addWidget(m_duration, 9, 1);
    catalogue->addWidget(m_created, 10, 1);
    catalogue->addWidget(m_edited, 11, 1);
    sides->addLayout(catalogue, 3);

    m_fileGroup = new QGroupBox(this);
    m_fileGroup->setObjectName("fileGroup");
    auto* file = new QGridLayout(m_fileGroup);
    const std::array<QString, 7> fileCaptions = {"Title",   "Artist", "Album", "Year",
                                                 "Comment", "Track",  "Genre"};
    const std::array<int, 7> fileWidths = {30, 30, 30, 4, 30, 4, 30};
    for (std::size_t i = 0; i < fileCaptions.size(); ++i) {
        auto* box = new QLineEdit(m_fileGroup);
        box->setReadOnly(true);
        box->setMaxLength(fileWidths[i] > 4 ? 32767 : fileWidths[i]);
        m_fileBoxes[i] = box;
        file->addWidget(new QLabel(fileCaptions[i], m_fileGroup), static_cast<int>(i), 0);
        file->addWidget(box, static_cast<int>(i), 1);
    }
    m_fileSize = new QLabel(m_fileGroup);
    file->addWidget(m_fileSize, 7, 1);
    auto* fromFile = new QPushButton("<< Resync", m_fileGroup);
    fromFile->setObjectName("resyncFromFile");
    fromFile->setToolTip("Copy details from audio file to database");
    auto* toFile = new QPushButton("Resync >>", m_fileGroup);
    toFile->setObjectName("resyncToFile");
    toFile->setToolTip("Copy details from database to audio file tag (same as Save)");
    connect(fromFile, &QPushButton::clicked, this, [this] { m_controller.ResyncFromFile(); });
    connect(toFile, &QPushButton::clicked, this, [this] { Finish(m_controller.ResyncToFile()); });
    auto* resync = new QHBoxLayout;
    resync->addWidget(fromFile);
    resync->addWidget(toFile);
    file->addLayout(resync, 8, 0, 1, 2);
    sides->addWidget(m_fileGroup, 2);
    outer->addLayout(sides);

    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton("Save", this);
    save->setObjectName("save");
    save->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancel");
    connect(save, &QPushButton::clicked, this, [this] { Finish(m_controller.Save()); });
    connect(cancel, &QPushButton::clicked, this, [this] { Finish(m_controller.Cancel()); });
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);
    m_status = new QLabel(this);
    m_status->setObjectName("status");
    m_status->setAutoFillBackground(true);
    outer->addWidget(m_status);
    m_controller.SetDisplay(this);
}

EditSongWindow::~EditSongWindow() {
    m_controller.SetDisplay(nullptr);
}

QLineEdit* EditSongWindow::AddEdit(const QString& caption, EditBox box, int) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(caption.toLower());
    edit->setMaxLength(80);
    connect(edit, &QLineEdit::textEdited, this, [this, box](const QString& text) {
        if (!m_filling) {
            m_controller.SetBox(box, text);
        }
    });
    m_edits[static_cast<std::size_t>(box)] = edit;
    return edit;
}

QLineEdit* EditSongWindow::Edit(EditBox box) const {
    return m_edits[static_cast<std::size_t>(box)];
}

QPushButton* EditSongWindow::Button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

bool EditSongWindow::EditSongDetails(TSong& song) {
    m_controller.Open(song);
    // The window widens for a long path.
    adjustSize();
    const int wanted = m_fullPath->geometry().right() + 24;
    if (wanted > width()) {
        resize(wanted, height());
    }
    if (exec() != QDialog::Accepted) {
        return false;
    }
    song = m_controller.Edited();
    return true;
}

void EditSongWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_controller.Shown();
    Edit(EditBox::Title)->setFocus();
    Edit(EditBox::Title)->selectAll();
}

void EditSongWindow::reject() {
    Finish(m_controller.Cancel());
}

void EditSongWindow::Finish(EditClose close) {
    if (close == EditClose::Ok) {
        done(QDialog::Accepted);
    } else if (close == EditClose::Cancel) {
        done(QDialog::Rejected);
    }
}

void EditSongWindow::ProcessPendingEvents() {
    QApplication::processEvents();
}

void EditSongWindow::EditStateChanged() {
    const EditSongController& c = m_controller;
    m_filling = true;
    for (const EditBox box :
         {EditBox::Title, EditBox::Artist, EditBox::Album, EditBox::Year, EditBox::Comment}) {
        QLineEdit* edit = Edit(box);
        if (edit->text() != c.Box(box)) {
            edit->setText(c.Box(box));
        }
    }
    if (m_track->value() != c.TrackBox()) {
        m_track->setValue(c.TrackBox());
    }
    m_filling = false;
    const TSong& s = c.Edited();
    m_songNum->setText(c.SongNumText());
    m_fullPath->setText(s.FullPath);
    m_genre->setText(QString::number(c.PickedGenreId()) + "  " + c.PickedGenreName());
    m_ratingSymbol->setText(c.RatingSymbolText());
    QFont symbolFont = font();
    if (s.Rating != 0) {
        symbolFont.setPointSize(font().pointSize() + 4);
    }
    m_ratingSymbol->setFont(symbolFont);
    m_rating->setText(c.RatingText());
    Button("ratingUp")->setEnabled(c.RatingUpEnabled());
    Button("ratingDown")->setEnabled(c.RatingDownEnabled());
    Button("pickGenre")->setEnabled(c.CanPickGenre());
    Button("save")->setEnabled(c.Dirty());
    m_size->setText(c.SizeText());
    m_created->setText(c.CreatedText().isEmpty() ? QString() : "Created " + c.CreatedText());
    m_edited->setText(c.EditedText().isEmpty() ? QString() : "Last edited " + c.EditedText());
    m_duration->setText(c.DurationText());

    const TSong& f = c.FileSong();
    m_fileGroup->setTitle(c.GroupCaption());
    const std::array<QString, 7> values = {
        f.Title, f.ArtistName, f.AlbumName, f.Year, f.Comment, QString::number(f.Track), c.FileGenreText()};
    for (std::size_t i = 0; i < values.size(); ++i) {
        m_fileBoxes[i]->setText(values[i]);
    }
    m_fileSize->setText(c.FileSizeText());
    Button("resyncFromFile")->setEnabled(c.ResyncFromFileEnabled());
    Button("resyncToFile")->setEnabled(c.ResyncToFileEnabled());
    m_status->setText(c.Status());
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::Window, c.Status().isEmpty() ? QColor(Qt::lightGray) : QColor(Qt::red));
    m_status->setPalette(palette);
}

}  // namespace sw
