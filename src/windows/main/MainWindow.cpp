#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "MainWindowKeys.h"
#include "NowPlayingController.h"
#include "NowPlayingPanel.h"
#include "core/CoreSession.h"

namespace sw {

MainWindow::MainWindow(CoreSession& session, QWidget* parent)
    : QMainWindow(parent), m_session(session), m_controller(session) {
    setWindowTitle("Sonwick3");

    auto* body = new QWidget(this);
    auto* panel = new QFrame(body);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(16);
    AddPair(grid, "Database name", MainLabel::DatabaseName);
    AddPair(grid, "Database file", MainLabel::DatabaseFile);
    AddPair(grid, "MP3 root folder", MainLabel::RootFolder);
    AddPair(grid, "Audio files loaded this session (+) ", MainLabel::LoadedThisSession, "0MB");
    AddPair(grid, "Audio files deleted this session (-)", MainLabel::DeletedThisSession, "0MB");
    AddPair(grid, "Net change in jukebox size ", MainLabel::NetChange, "0MB");
    AddPair(grid, "Database version", MainLabel::DatabaseVersion);
    AddPair(grid, "Jukebox size now (approximate) ", MainLabel::JukeboxSize);
    m_jukeboxCaption = m_captions.at(MainLabel::JukeboxSize);
    m_readOnly = new QLabel("Database is read-only", panel);
    m_readOnly->setStyleSheet("color: red; font-weight: bold;");
    m_readOnly->hide();
    grid->addWidget(m_readOnly, grid->rowCount(), 0, 1, 2);

    auto* strip = new QFrame(body);
    m_playStrip = strip;
    auto* buttons = new QHBoxLayout(strip);
    auto button = [&](QStyle::StandardPixmap pixmap, const QString& hint) {
        auto* made = new QPushButton(style()->standardIcon(pixmap), QString(), strip);
        made->setToolTip(hint);
        buttons->addWidget(made);
        return made;
    };
    m_play = button(QStyle::SP_MediaPlay, "Play");
    m_pause = button(QStyle::SP_MediaPause, "Pause");
    m_pause->setCheckable(true);
    m_pause->setEnabled(false);
    m_stop = button(QStyle::SP_MediaStop, "Stop");
    m_stop->setEnabled(false);
    m_more = new QPushButton("...", strip);
    m_more->setToolTip("more Play options");
    buttons->addWidget(m_more);
    buttons->addStretch();
    // The strip wears the panel's colour.
    strip->setAutoFillBackground(true);
    QPalette stripPalette = strip->palette();
    stripPalette.setColor(QPalette::Window, panel->palette().color(QPalette::Window));
    strip->setPalette(stripPalette);

    auto* layout = new QVBoxLayout(body);
    m_bodyLayout = layout;
    layout->addWidget(panel);
    layout->addWidget(strip);
    layout->addStretch();
    setCentralWidget(body);

    const QString clickToEdit = "Click to edit";
    MakeClickable(m_captions.at(MainLabel::DatabaseName), clickToEdit,
                  [this] { m_controller.RenameCatalogue(); });
    MakeClickable(m_values.at(MainLabel::DatabaseName), clickToEdit,
                  [this] { m_controller.RenameCatalogue(); });
    m_captions.at(MainLabel::RootFolder)
        ->setToolTip(
            "allows you to use the same Sonwick database to access a copy of your MP3 collection in a "
            "different "
            "location");
    MakeClickable(m_values.at(MainLabel::RootFolder), clickToEdit,
                  [this] { m_controller.RootFolderCommand(); });
    MakeClickable(m_jukeboxCaption, "use Database Statistics (click here) to obtain definitive value",
                  [this] { m_controller.Statistics(); });
    MakeClickable(m_values.at(MainLabel::JukeboxSize), "click for Database Statistics",
                  [this] { m_controller.Statistics(); });
    MakeClickable(m_readOnly, {}, [this] { m_controller.ReadOnlyNoticeClicked(); });

    BuildMenus();
    EnableReachableEntries();
    m_keyGuard = new ProgramKeyGuard(this, this);
    qApp->installEventFilter(m_keyGuard);
    // As small as the panel and the buttons allow; the placement memory may then change it.
    resize(std::max(sizeHint().width(), menuBar()->sizeHint().width()), minimumSizeHint().height());
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(m_keyGuard);
    // The panel goes before the controller it shows.
    delete m_nowPlayingPanel;
    m_nowPlayingPanel = nullptr;
}

void MainWindow::AddPair(QGridLayout* grid, const QString& caption, MainLabel label, const QString& start) {
    const int row = grid->rowCount();
    auto* captionLabel = new QLabel(caption, grid->parentWidget());
    captionLabel->setTextFormat(Qt::PlainText);
    auto* value = new QLabel(start, grid->parentWidget());
    value->setTextFormat(Qt::PlainText);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(captionLabel, row, 0);
    grid->addWidget(value, row, 1);
    m_captions[label] = captionLabel;
    m_values[label] = value;
}

void MainWindow::MakeClickable(QLabel* label, const QString& hint, std::function<void()> click) {
    if (!hint.isEmpty()) {
        label->setToolTip(hint);
    }
    label->setCursor(Qt::PointingHandCursor);
    // A click acts; selecting the text would take the click away.
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->installEventFilter(this);
    m_clicks[label] = std::move(click);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const auto found = m_clicks.find(watched);
        if (found != m_clicks.end()) {
            auto* label = static_cast<QWidget*>(watched);
            if (label->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
                found->second();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::AttachNowPlaying(PlaybackEngine& engine) {
    delete m_nowPlayingPanel;
    m_nowPlaying = std::make_unique<NowPlayingController>(engine, m_session.settings);
    m_nowPlayingPanel = new NowPlayingPanel(*m_nowPlaying, centralWidget());
    m_bodyLayout->insertWidget(0, m_nowPlayingPanel);
    EnableReachableEntries();
    resize(std::max(width(), sizeHint().width()), std::max(height(), minimumSizeHint().height()));
}

void MainWindow::ShowCatalogueLabels() {
    SetLabel(MainLabel::DatabaseName, m_session.catalogue.CatalogueName());
    SetLabel(MainLabel::DatabaseFile, m_session.paths.catalogueFile);
    SetLabel(MainLabel::RootFolder, m_session.settings.Root);
    SetReadOnlyShown(m_session.settings.READONLY);
}

void MainWindow::ShowCatalogueVersion() {
    SetLabel(MainLabel::DatabaseVersion, QString::number(m_session.catalogue.CatalogueVersion()));
    SetLabel(MainLabel::DatabaseName, m_session.catalogue.CatalogueName());
}

void MainWindow::ShowJukeboxSize() {
    const JukeboxSize& size = m_session.library.size;
    SetLabel(MainLabel::LoadedThisSession, JukeboxSize::Megabytes(size.Added()));
    SetLabel(MainLabel::DeletedThisSession, JukeboxSize::Megabytes(size.Removed()));
    SetLabel(MainLabel::NetChange, JukeboxSize::Megabytes(size.Added() + size.Removed()));
    SetLabel(MainLabel::JukeboxSize, JukeboxSize::Megabytes(size.Total()));
    SetJukeboxSizeCaption(size.Caption() + " ");
}

void MainWindow::SetPlayButtonActions(std::function<void()> play, std::function<void(bool)> pause,
                                      std::function<void()> stop, std::function<void()> more) {
    connect(m_play, &QPushButton::clicked, this, std::move(play));
    connect(m_pause, &QPushButton::clicked, this, std::move(pause));
    connect(m_stop, &QPushButton::clicked, this, std::move(stop));
    connect(m_more, &QPushButton::clicked, this, std::move(more));
}

void MainWindow::ShowPlayButtons(bool playEnabled, bool pauseEnabled, bool pauseDown, bool stopEnabled) {
    m_play->setEnabled(playEnabled);
    m_pause->setEnabled(pauseEnabled);
    m_pause->setChecked(pauseDown);
    m_stop->setEnabled(stopEnabled);
}

void MainWindow::SetPlayButtonsColour(const QColor& colour) {
    QPalette palette = m_playStrip->palette();
    palette.setColor(QPalette::Window, colour);
    m_playStrip->setPalette(palette);
    m_playStrip->setAutoFillBackground(true);
}

void MainWindow::SetLabel(MainLabel label, const QString& value) {
    m_values.at(label)->setText(value);
}

QString MainWindow::Label(MainLabel label) const {
    return m_values.at(label)->text();
}

void MainWindow::SetReadOnlyShown(bool shown) {
    m_readOnly->setVisible(shown);
}

void MainWindow::SetJukeboxSizeCaption(const QString& caption) {
    m_jukeboxCaption->setText(caption);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_closeRequest && !m_closeRequest()) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (m_controller.EscapePressed()) {
            close();
        }
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    EnableReachableEntries();
    if (!m_shown) {
        m_shown = true;
        if (m_firstShow) {
            m_firstShow();
        }
    }
}

}  // namespace sw
