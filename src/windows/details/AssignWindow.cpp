#include "AssignWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include "windows/main/WindowHelpers.h"
#include "core/AlbumRecords.h"

namespace sw {

AssignWindow::AssignWindow(AssignController& controller, QWidget* parent)
    : QDialog(parent), m_controller(controller) {
    setObjectName("falbum");
    setWindowTitle("Assign details to 1 or more songs ");
    auto* layout = new QVBoxLayout(this);
    m_count = new QLabel(this);
    m_count->setObjectName("count");
    layout->addWidget(m_count);
    auto* grid = new QGridLayout;
    const std::array<QString, kAssignFieldCount> captions = {"Album", "Artist", "Genre",
                                                             "Year",  "Track",  "Comment"};
    for (int i = 0; i < kAssignFieldCount; ++i) {
        const auto field = static_cast<AssignField>(i);
        auto* tick = new QCheckBox(captions[static_cast<std::size_t>(i)], this);
        tick->setObjectName("tick" + captions[static_cast<std::size_t>(i)]);
        m_ticks[static_cast<std::size_t>(i)] = tick;
        grid->addWidget(tick, i, 0);
        if (field == AssignField::Track) {
            tick->setToolTip("Track number extracted from song title");
            grid->addWidget(new QLabel("(extract from start/end of title) ", this), i, 1);
        } else {
            auto* box = new QLineEdit(this);
            box->setObjectName("box" + captions[static_cast<std::size_t>(i)]);
            m_boxes[static_cast<std::size_t>(i)] = box;
            if (field == AssignField::Genre) {
                box->setReadOnly(true);
                m_pickGenre = new QPushButton(">", this);
                m_pickGenre->setObjectName("pickGenre");
                connect(m_pickGenre, &QPushButton::clicked, this, [this] { m_controller.PickGenre(); });
                grid->addWidget(m_pickGenre, i, 2);
            } else {
                connect(box, &QLineEdit::textEdited, this,
                        [this, field](const QString& text) { m_controller.SetBox(field, text); });
            }
            if (field == AssignField::Album || field == AssignField::Artist) {
                box->setContextMenuPolicy(Qt::CustomContextMenu);
                connect(box, &QWidget::customContextMenuRequested, this,
                        [this, box, field](const QPoint& at) {
                            QMenu popup(this);
                            if (field == AssignField::Album) {
                                popup.addAction(PasteAlbumCaption(m_controller.Copied()), this,
                                                [this] { m_controller.PasteAlbum(); });
                            } else {
                                popup.addAction(PasteArtistCaption(m_controller.Copied()), this,
                                                [this] { m_controller.PasteArtist(); });
                            }
                            popup.exec(box->mapToGlobal(at));
                        });
            }
            grid->addWidget(box, i, 1);
        }
        connect(tick, &QCheckBox::toggled, this, [this, field, tick](bool on) {
            if (m_filling) {
                return;
            }
            m_controller.SetTicked(field, on);
            if (!on) {
                return;
            }
            if (field == AssignField::Genre) {
                m_pickGenre->setFocus();
            } else if (QLineEdit* edit = Box(field)) {
                edit->setFocus();
            } else {
                tick->setFocus();
            }
        });
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto add = [&](const QString& caption, const QString& name) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        buttons->addWidget(button);
        return button;
    };
    QPushButton* assign = add("Assign", "assign");
    assign->setToolTip("Assigns details to multiple MP3 files");
    assign->setDefault(true);
    QPushButton* cancel = add("Cancel", "cancel");
    QPushButton* all = add("check all", "checkAll");
    QPushButton* none = add("uncheck all", "uncheckAll");
    layout->addLayout(buttons);
    connect(assign, &QPushButton::clicked, this, [this] {
        const EditClose close = m_controller.AssignPressed();
        if (close == EditClose::Ok) {
            accept();
        } else if (close == EditClose::Cancel) {
            reject();
        }
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(all, &QPushButton::clicked, this, [this] { m_controller.SetAllTicked(true); });
    connect(none, &QPushButton::clicked, this, [this] { m_controller.SetAllTicked(false); });

    m_progress = new QProgressDialog("Assigning details", QString(), 0, 1, this);
    m_progress->setObjectName("assignProgress");
    // Return is meant for a question the run asks, and must not cancel the run behind it.
    auto* stop = new QPushButton("Cancel");
    stop->setAutoDefault(false);
    m_progress->setCancelButton(stop);
    m_progress->setWindowTitle("Assign details to 1 or more songs ");
    m_progress->setMinimumDuration(0);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->reset();
    connect(m_progress, &QProgressDialog::canceled, this, [this] { m_controller.RequestCancel(); });
    m_controller.SetDisplay(this);
    AssignStateChanged();
}

AssignWindow::~AssignWindow() {
    m_controller.SetDisplay(nullptr);
}

QPushButton* AssignWindow::Button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

bool AssignWindow::RunAssignDialog() {
    AssignStateChanged();
    PlaceNearCursor(this);
    return exec() == QDialog::Accepted;
}

void AssignWindow::AssignStateChanged() {
    m_filling = true;
    m_count->setText(m_controller.CountLabel());
    for (int i = 0; i < kAssignFieldCount; ++i) {
        const auto field = static_cast<AssignField>(i);
        const bool ticked = m_controller.Ticked(field);
        m_ticks[static_cast<std::size_t>(i)]->setChecked(ticked);
        if (QLineEdit* box = Box(field)) {
            if (box->text() != m_controller.Box(field)) {
                box->setText(m_controller.Box(field));
            }
            SetEditEnabled(box, ticked);
        }
    }
    m_pickGenre->setEnabled(m_controller.Ticked(AssignField::Genre) && m_controller.CanPickGenre());
    m_filling = false;
}

void AssignWindow::AssignProgress(int done, int total) {
    if (!m_progress->isVisible()) {
        m_progress->setMaximum(total);
        m_progress->show();
    }
    m_progress->setLabelText("Assigning details to song " + QString::number(done) + " of " +
                             QString::number(total));
    m_progress->setValue(done);
    // Lets the Cancel button be pressed between songs.
    QApplication::processEvents();
}

void AssignWindow::AssignRunEnded() {
    m_progress->reset();
    m_progress->hide();
}

}  // namespace sw
