#include "Preview.h"

#include "core/Song.h"
#include "foundation/Dialogs.h"
#include "PlaybackEngine.h"

namespace sw {

void PreviewController::PreviewSong(const TSong& song) {
    if (!StartPreview(song)) {
        return;
    }
    m_topLine = " " + song.FileName;
    if (m_showWindow) {
        m_showWindow();
    }
}

bool PreviewController::StartPreview(const TSong& song) {
    const int device = m_engine.PreviewDevice();
    if (device == 0) {
        ShowInfo("You need 2 soundcards to use Preview");
        return false;
    }
    // A second preview finds the timer already resting; its resting state must not be taken for
    // the one to give back.
    if (!m_holdsTimer) {
        m_engine.SuspendTimer();
        m_holdsTimer = true;
    }
    auto fail = [this](const char* operation) {
        m_engine.ReportBassError(operation);
        m_engine.ResumeTimer();
        m_holdsTimer = false;
        return false;
    };
    AudioLibrary& audio = m_engine.Audio();
    if (!audio.SetDevice(device)) {
        return fail("BASS_SetDevice");
    }
    if (const AudioHandle previous = m_engine.PreviewStream(); previous != 0) {
        if (!audio.StreamFree(previous)) {
            m_engine.ReportBassError("BASS_StreamFree 3");
        }
        m_engine.SetPreviewStream(0);
        m_engine.RetryParkedTag();
    }
    const AudioHandle stream = audio.StreamCreateFile(song.FullPath, BASS_SAMPLE_FLOAT);
    // Later songs of the room are opened on the master output again.
    audio.SetDevice(m_engine.MasterDevice());
    if (stream == 0) {
        return fail("BASS_StreamCreateFile");
    }
    m_engine.SetPreviewStream(stream);
    if (song.StartFrom > 0 && m_engine.ActionFromComments()) {
        m_engine.JumpToSeconds(stream, song.StartFrom / 100.0);
    }
    if (!audio.ChannelPlay(stream, false)) {
        m_engine.ReportBassError("BASS_ChannelPlay");
    }
    return true;
}

void PreviewController::StopPreview() {
    const AudioHandle stream = m_engine.PreviewStream();
    if (stream == 0) {
        return;
    }
    if (!m_engine.Audio().ChannelStop(stream)) {
        m_engine.ReportBassError("BASS_ChannelStop");
    }
    if (m_holdsTimer) {
        m_engine.ResumeTimer();
        m_holdsTimer = false;
    }
}

}  // namespace sw
