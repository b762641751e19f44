#pragma once

#include <QFrame>

class QLabel;
class QSlider;
class QTimer;
class QToolButton;

namespace sw {

class NowPlayingController;
class SeekBar;

/// The main window's now-playing panel: cover, artist – title and album, elapsed and remaining
/// time on a seek bar that jumps where it is clicked, the transport buttons and the volume with
/// its mute button. A thin view over NowPlayingController. None of its controls takes the
/// keyboard focus, so the program's keys keep working while it is used.
class NowPlayingPanel : public QFrame {
    Q_OBJECT
public:
    explicit NowPlayingPanel(NowPlayingController& controller, QWidget* parent = nullptr);

    /// Shows what the controller says now.
    void Refresh();

    QLabel* Heading() const { return m_heading; }
    QLabel* Album() const { return m_album; }
    QLabel* CoverLabel() const { return m_cover; }
    QLabel* Elapsed() const { return m_elapsed; }
    QLabel* Remaining() const { return m_remaining; }
    QSlider* SeekSlider() const;
    QSlider* VolumeSlider() const { return m_volume; }
    QToolButton* PreviousButton() const { return m_previous; }
    QToolButton* PlayPauseButton() const { return m_playPause; }
    QToolButton* StopButton() const { return m_stop; }
    QToolButton* NextButton() const { return m_next; }
    QToolButton* MuteButton() const { return m_mute; }

private:
    void ShowCover();

    NowPlayingController& m_controller;
    QLabel* m_cover = nullptr;
    QLabel* m_heading = nullptr;
    QLabel* m_album = nullptr;
    QLabel* m_elapsed = nullptr;
    QLabel* m_remaining = nullptr;
    SeekBar* m_seek = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_playPause = nullptr;
    QToolButton* m_stop = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_mute = nullptr;
    QSlider* m_volume = nullptr;
    QTimer* m_timer = nullptr;
    QString m_coverShown;
};

}  // namespace sw
