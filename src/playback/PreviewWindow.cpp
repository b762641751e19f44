#include "PreviewWindow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "Preview.h"

namespace sw {

PreviewWindow::PreviewWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Preview");
    menuBar()->addAction("Close", this, &QWidget::close);
    menuBar()->addAction("Songdets");
    auto* central = new QWidget(this);
    setCentralWidget(central);
    m_topLine = new QLabel(central);
    m_topLine->setObjectName("topLine");
    m_topLine->setTextFormat(Qt::PlainText);
    auto* body = new QLabel("er, that's it", central);
    body->setAlignment(Qt::AlignCenter);
    auto* stop = new QPushButton("Stop", central);
    stop->setObjectName("stop");
    stop->setToolTip("Stop");
    connect(stop, &QPushButton::clicked, this, [this] {
        if (m_preview) {
            m_preview->StopPreview();
        }
        close();
    });
    auto* closeButton = new QPushButton("Close", central);
    closeButton->setObjectName("close");
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(stop);
    buttons->addWidget(closeButton);
    auto* column = new QVBoxLayout(central);
    column->addWidget(m_topLine);
    column->addWidget(body, 1);
    column->addLayout(buttons);
    resize(420, 160);
}

void PreviewWindow::ShowPreview() {
    if (m_preview) {
        m_topLine->setText(m_preview->TopLine());
    }
    show();
    raise();
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

}  // namespace sw
