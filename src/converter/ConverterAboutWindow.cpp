#include "ConverterAboutWindow.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "foundation/Placement.h"
#include "windows/main/WindowHelpers.h"

namespace sw {

QStringList ConverterAboutLines() {
    return {"converts a Sonwick database ",
            "from Borland/Paradox",
            "to Firebird, for Sonwick3",
            "",
            "version 4 ( May 2012 )",
            "",
            "Paradox tables are read by the converter's own reader",
            "with thanks to all"};
}

ConverterAboutWindow::ConverterAboutWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    setModal(false);
    const QString program = QCoreApplication::applicationFilePath();
    const QDateTime modified = QFileInfo(program).lastModified();
    const QLocale locale = QLocale::system();

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(32, 32));
    auto* name = new QLabel("SWCONV", this);
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    name->setFont(bold);
    auto* path = new QLabel(program.toLower(), this);
    path->setTextFormat(Qt::PlainText);
    auto* time = new QLabel(locale.toString(modified.date(), QLocale::ShortFormat) + " " +
                                locale.toString(modified.time(), QLocale::LongFormat),
                            this);
    auto* header = new QHBoxLayout;
    auto* headerText = new QVBoxLayout;
    headerText->addWidget(name);
    headerText->addWidget(path);
    headerText->addWidget(time);
    header->addWidget(icon, 0, Qt::AlignTop);
    header->addLayout(headerText, 1);

    auto* text = new QLabel(ConverterAboutLines().join('\n'), this);
    text->setObjectName("aboutText");
    text->setTextFormat(Qt::PlainText);
    text->setAlignment(Qt::AlignCenter);
    text->setAutoFillBackground(true);
    QPalette silver = text->palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    text->setPalette(silver);
    text->setMargin(8);

    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* column = new QVBoxLayout(this);
    column->addLayout(header);
    column->addWidget(text, 1);
    column->addWidget(ok, 0, Qt::AlignHCenter);
}

void ConverterAboutWindow::ShowAtCursor() {
    adjustSize();
    move(ClampBoxToScreen(QCursor::pos(), frameGeometry().size(), ScreenAtCursor()));
    show();
    raise();
    activateWindow();
}

}  // namespace sw
