#include "AboutWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QVBoxLayout>

#include "WindowHelpers.h"
#include "core/Firebird.h"
#include "foundation/Dates.h"
#include "foundation/Files.h"
#include "playback/audio/FfmpegDecoder.h"
#include "playback/audio/SdlOutput.h"

namespace sw {

namespace {

/// "3.0.11.33637" out of the client's "LI-V6.3.11.33637 Firebird 3.0", whose first two numbers
/// are the old InterBase-style version; the whole text when it has another form.
QString FirebirdVersion() {
    const QString text = fb::ClientVersion();
    const QRegularExpressionMatch match =
        QRegularExpression("V\\d+\\.\\d+\\.(\\d+)\\.(\\d+)\\s+Firebird\\s+(\\d+\\.\\d+)").match(text);
    return match.hasMatch() ? match.captured(3) + "." + match.captured(1) + "." + match.captured(2) : text;
}

}  // namespace

QStringList LinkedLibraries() {
    return {FfmpegVersion() + " audio codecs", "SDL " + SdlVersion() + " sound output",
            "Firebird " + FirebirdVersion() + " database software", QString("Qt ") + qVersion() + " windows"};
}

QStringList AboutLines(const QString& programVersion, int catalogueVersion, const QStringList& libraries) {
    QStringList lines{"Audio jukebox for MP3 / OGG / WAV files", "",
                      "Program version " + programVersion + " ( April 2024 )",
                      "Database version " + QString::number(catalogueVersion), ""};
    for (int i = 0; i < libraries.size(); ++i) {
        lines << (i == 0 ? "uses " : "and ") + libraries[i];
    }
    lines << ""
          << "and its own tag code (ID3v1, ID3v2, Ogg Vorbis comments)"
          << "for audio meta-data ('tags')"
          << ""
          << "with thanks to all";
    return lines;
}

QString ProgramBuildTime(const QString& executable) {
    return QFileInfo::exists(executable) ? FormatDateTime(1, FileModifiedTime(executable)) : QString();
}

AboutWindow::AboutWindow(std::function<int()> catalogueVersion, QWidget* parent, QString executable)
    : QDialog(parent), m_catalogueVersion(std::move(catalogueVersion)), m_libraries(LinkedLibraries()) {
    setWindowTitle("About");
    setModal(false);
    const QString program = executable.isEmpty() ? QCoreApplication::applicationFilePath() : executable;

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    m_name = new QLabel("SONWICK", this);
    m_name->setToolTip(
        "Sonwick3 uses Firebird in place of BDE/Paradox; Sonwick2 uses BASS in place of Winamp");
    QFont bold = m_name->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 6);
    m_name->setFont(bold);
    // Spelled as the file system spells it: another case would name another file here.
    m_path = new QLabel(program, this);
    m_path->setTextFormat(Qt::PlainText);
    auto* time = new QLabel(ProgramBuildTime(program), this);
    auto* headerText = new QVBoxLayout;
    headerText->addWidget(m_name);
    headerText->addWidget(m_path);
    headerText->addWidget(time);
    auto* header = new QHBoxLayout;
    header->addWidget(icon, 0, Qt::AlignTop);
    header->addLayout(headerText, 1);

    m_text = new QTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setFrameStyle(QFrame::NoFrame);
    QPalette silver = m_text->palette();
    silver.setColor(QPalette::Base, QColor(192, 192, 192));
    silver.setColor(QPalette::Text, Qt::black);
    m_text->setPalette(silver);
    m_text->installEventFilter(this);
    m_text->setMinimumSize(460, 300);

    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* column = new QVBoxLayout(this);
    column->addLayout(header);
    column->addWidget(m_text, 1);
    column->addWidget(ok, 0, Qt::AlignHCenter);
}

void AboutWindow::ShowAbout() {
    m_text->setPlainText(AboutLines(QCoreApplication::applicationVersion(),
                                    m_catalogueVersion ? m_catalogueVersion() : 0, m_libraries)
                             .join('\n'));
    // Every line centred.
    m_text->selectAll();
    m_text->setAlignment(Qt::AlignHCenter);
    m_text->moveCursor(QTextCursor::Start);
    ShowRestored(this);
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace sw
