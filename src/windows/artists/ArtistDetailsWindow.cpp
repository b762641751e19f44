#include "ArtistDetailsWindow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "windows/main/WindowHelpers.h"

namespace sw {

ArtistDetailsWindow::ArtistDetailsWindow(ArtistDetailsController& controller, QWidget* parent)
    : QWidget(parent, Qt::Window), m_controller(controller) {
    setObjectName("artistDetailsWindow");
    setWindowTitle("Artist details");
    setWindowIcon(ProgramIcon());

    auto* layout = new QVBoxLayout(this);
    m_id = new QLabel(this);
    m_id->setObjectName("idLine");
    m_name = new QLabel(this);
    m_name->setObjectName("nameLine");
    m_name->setTextFormat(Qt::PlainText);
    m_name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_name->setMinimumWidth(m_name->fontMetrics().averageCharWidth() * 40);
    m_name->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_id);
    layout->addWidget(m_name);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    m_rename = new QPushButton("Rename", this);
    m_rename->setObjectName("rename");
    m_close = new QPushButton("Close", this);
    m_close->setObjectName("close");
    connect(m_rename, &QPushButton::clicked, this, [this] { m_controller.Rename(); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addStretch(1);
    buttons->addWidget(m_rename);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);

    m_controller.SetDisplay(this);
    DetailsChanged();
}

ArtistDetailsWindow::~ArtistDetailsWindow() {
    m_controller.SetDisplay(nullptr);
}

void ArtistDetailsWindow::ShowDetailsWindow() {
    ShowRestored(this);
}

void ArtistDetailsWindow::DetailsChanged() {
    m_id->setText(m_controller.IdLine());
    m_name->setText(m_controller.NameLine());
    const bool found = m_controller.Found();
    m_name->setAutoFillBackground(!found);
    QPalette palette = QWidget::palette();
    if (!found) {
        palette.setColor(QPalette::Window, Qt::red);
        palette.setColor(QPalette::WindowText, Qt::white);
    }
    m_name->setPalette(palette);
    m_rename->setEnabled(m_controller.RenameEnabled());
}

void ArtistDetailsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace sw
