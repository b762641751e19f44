#pragma once

#include <QString>
#include <functional>

namespace sw {

class PlaybackEngine;
struct TSong;

/// Plays one song on the preview output (the headphones), beside the song playing in the room.
/// The queue's time display rests while a preview holds it.
class PreviewController {
public:
    explicit PreviewController(PlaybackEngine& engine) : m_engine(engine) {}

    /// Shows the preview window (with its top line) once a preview has started.
    void SetShowWindow(std::function<void()> show) { m_showWindow = std::move(show); }

    /// Starts the preview and, when it plays, shows the window with the song's file name.
    void PreviewSong(const TSong& song);
    bool StartPreview(const TSong& song);
    void StopPreview();
    /// The preview window's top line: a space and the song's stored file name.
    const QString& TopLine() const { return m_topLine; }

private:
    PlaybackEngine& m_engine;
    std::function<void()> m_showWindow;
    QString m_topLine;
    bool m_holdsTimer = false;
};

}  // namespace sw
