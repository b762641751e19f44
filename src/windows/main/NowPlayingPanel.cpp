#include "NowPlayingPanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "NowPlayingController.h"

namespace sw {

namespace {

constexpr int kCoverSize = 96;
/// Often enough for the elapsed seconds, rarely enough to cost nothing.
constexpr int kRefreshMs = 250;

}  // namespace

/// A slider that goes where it is clicked (not a page at a time) and says so once, when the
/// button is released, with how far along it is.
class SeekBar : public QSlider {
public:
    explicit SeekBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}
    std::function<void(double)> chosen;
    bool Held() const { return m_held; }

    /// The fraction of the groove at `x`.
    double FractionAt(int x) const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
        const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        const int span = groove.width() - handle.width();
        if (span <= 0) {
            return 0;
        }
        return std::clamp(double(x - groove.x() - handle.width() / 2) / span, 0.0, 1.0);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !isEnabled()) {
            return;
        }
        m_held = true;
        Follow(event->position().toPoint().x());
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (m_held) {
            Follow(event->position().toPoint().x());
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (!m_held || event->button() != Qt::LeftButton) {
            return;
        }
        m_held = false;
        const double fraction = FractionAt(event->position().toPoint().x());
        if (chosen) {
            chosen(fraction);
        }
    }

private:
    void Follow(int x) { setValue(minimum() + static_cast<int>(FractionAt(x) * (maximum() - minimum()))); }
    bool m_held = false;
};

NowPlayingPanel::NowPlayingPanel(NowPlayingController& controller, QWidget* parent)
    : QFrame(parent), m_controller(controller) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_cover = new QLabel(this);
    m_cover->setFixedSize(kCoverSize, kCoverSize);
    m_cover->setAlignment(Qt::AlignCenter);
    m_cover->setFrameStyle(QFrame::StyledPanel);
    m_heading = new QLabel(this);
    m_heading->setTextFormat(Qt::PlainText);
    QFont bold = m_heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    m_heading->setFont(bold);
    m_album = new QLabel(this);
    m_album->setTextFormat(Qt::PlainText);
    for (QLabel* label : {m_heading, m_album}) {
        label->setMinimumWidth(1);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    m_elapsed = new QLabel("0:00", this);
    m_remaining = new QLabel("-0:00", this);
    m_seek = new SeekBar(this);
    m_seek->setToolTip("Click to go to that point of the song");
    m_seek->chosen = [this](double fraction) {
        m_controller.SeekToFraction(fraction);
        Refresh();
    };

    auto button = [this](QStyle::StandardPixmap pixmap, const QString& hint, auto action) {
        auto* made = new QToolButton(this);
        made->setIcon(style()->standardIcon(pixmap));
        made->setToolTip(hint);
        made->setAutoRaise(true);
        connect(made, &QToolButton::clicked, this, [this, action] {
            action();
            Refresh();
        });
        return made;
    };
    NowPlayingController& c = m_controller;
    m_previous = button(QStyle::SP_MediaSkipBackward, "Previous (Ctrl+Left)", [&c] { c.Previous(); });
    m_playPause = button(QStyle::SP_MediaPlay, "Play / Pause (Space)", [&c] { c.PlayPause(); });
    m_stop = button(QStyle::SP_MediaStop, "Stop", [&c] { c.Stop(); });
    m_next = button(QStyle::SP_MediaSkipForward, "Next (Ctrl+Right)", [&c] { c.Next(); });
    m_mute = new QToolButton(this);
    m_mute->setCheckable(true);
    m_mute->setAutoRaise(true);
    m_mute->setToolTip("Mute");
    connect(m_mute, &QToolButton::toggled, this, [this](bool on) {
        m_controller.SetMuted(on);
        Refresh();
    });
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setRange(0, 100);
    m_volume->setToolTip("Volume");
    m_volume->setMaximumWidth(140);
    connect(m_volume, &QSlider::valueChanged, this, [this](int value) { m_controller.SetVolume(value); });

    // The program's keys (Space above all) stay with the program, not with these controls.
    for (QWidget* control : std::initializer_list<QWidget*>{m_seek, m_previous, m_playPause, m_stop, m_next,
                                                            m_mute, m_volume}) {
        control->setFocusPolicy(Qt::NoFocus);
    }

    auto* times = new QHBoxLayout;
    times->addWidget(m_elapsed);
    times->addWidget(m_seek, 1);
    times->addWidget(m_remaining);
    auto* controls = new QHBoxLayout;
    for (QWidget* control : std::initializer_list<QWidget*>{m_previous, m_playPause, m_stop, m_next}) {
        controls->addWidget(control);
    }
    controls->addStretch();
    controls->addWidget(m_mute);
    controls->addWidget(m_volume);
    auto* text = new QVBoxLayout;
    text->addWidget(m_heading);
    text->addWidget(m_album);
    text->addLayout(times);
    text->addLayout(controls);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_cover, 0, Qt::AlignTop);
    layout->addLayout(text, 1);

    m_controller.SetChanged([this] { Refresh(); });
    m_timer = new QTimer(this);
    m_timer->setInterval(kRefreshMs);
    connect(m_timer, &QTimer::timeout, this, &NowPlayingPanel::Refresh);
    m_timer->start();
    Refresh();
}

QSlider* NowPlayingPanel::SeekSlider() const {
    return m_seek;
}

void NowPlayingPanel::ShowCover() {
    const CoverImage& cover = m_controller.Cover();
    const QString key = cover.Source + QString::number(cover.Data.size());
    if (key == m_coverShown) {
        return;
    }
    m_coverShown = key;
    QPixmap picture;
    if (!cover.Data.isEmpty() && picture.loadFromData(cover.Data)) {
        m_cover->setPixmap(picture.scaled(m_cover->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        m_cover->setToolTip(cover.Source);
    } else {
        m_cover->setPixmap(style()->standardIcon(QStyle::SP_MediaVolume).pixmap(kCoverSize / 2));
        m_cover->setToolTip(QString());
    }
}

void NowPlayingPanel::Refresh() {
    const NowPlayingView view = m_controller.View();
    m_heading->setText(view.Heading.isEmpty() ? QString("Nothing to play") : view.Heading);
    m_heading->setToolTip(view.Heading);
    m_album->setText(view.Album);
    m_elapsed->setText(view.ElapsedText);
    m_remaining->setText(view.RemainingText);
    m_seek->setEnabled(view.SeekEnabled);
    if (!m_seek->Held()) {
        m_seek->setRange(0, std::max(0, view.LengthSeconds));
        m_seek->setValue(view.ElapsedSeconds);
    }
    m_previous->setEnabled(view.PreviousEnabled);
    m_playPause->setEnabled(view.PlayPauseEnabled);
    m_playPause->setIcon(style()->standardIcon(view.Playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_stop->setEnabled(view.StopEnabled);
    m_next->setEnabled(view.NextEnabled);
    {
        const QSignalBlocker quiet(m_mute);
        m_mute->setChecked(view.Muted);
    }
    m_mute->setIcon(style()->standardIcon(view.Muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    if (!m_volume->isSliderDown()) {
        const QSignalBlocker quiet(m_volume);
        m_volume->setValue(view.Volume);
    }
    ShowCover();
}

}  // namespace sw
