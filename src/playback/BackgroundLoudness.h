#pragma once

#include "LoudnessWorker.h"

namespace sw {

class Catalogue;
struct Settings;

/// The catalogue's songs measured in the background: those without a SONGLOUDNESS row are queued
/// when a load run ends and at start-up, and each result is stored and committed on the
/// user-interface thread as it comes back, so that a killed program loses at most the song being
/// measured. Nothing is queued or written while the catalogue is read-only.
class BackgroundLoudness {
public:
    BackgroundLoudness(Catalogue& catalogue, const Settings& settings, LoudnessWorker::Post post,
                       LoudnessWorker::Measure measure = {});

    /// Queues the songs without a row (none on a read-only catalogue); returns how many were queued.
    int QueueMissingSongs();
    /// At program start: QueueMissingSongs when loudness levelling is on.
    int QueueAtStart();
    /// A load run began (measuring pauses, leaving the catalogue and the disk to it) or ended (the
    /// songs it added are queued).
    void LoadRunChanged(bool running);
    /// Before the catalogue closes; see LoudnessWorker::Stop.
    void Stop() { m_worker.Stop(); }

    LoudnessWorker& Worker() { return m_worker; }

    /// Stores a result and commits it, when the song still names the file that was measured.
    LoudnessWorker::Saved Save(const LoudnessJob& job, const SongLoudness& loudness);

private:
    Catalogue& m_catalogue;
    const Settings& m_settings;
    LoudnessWorker m_worker;
};

/// Runs the function later in the application's event loop (the thread QCoreApplication lives on).
void PostToEventLoop(std::function<void()> function);

}  // namespace sw
