#pragma once

#include <QString>
#include <stdexcept>

namespace sw {

/// The audio layer's error codes, as returned by AudioLibrary::ErrorGetCode and shown in
/// " - BASS error <code>" messages. The numbers are stable; new codes get new numbers.
enum class AudioError : int {
    Ok = 0,
    FileOpen = 2,           ///< the file is missing, unreadable or a folder
    Driver = 3,             ///< the output back end could not open the device
    Handle = 5,             ///< no channel (or sync) has this handle
    Format = 6,             ///< unsupported sample rate or channel count
    Position = 7,           ///< position beyond the end of the stream
    Init = 8,               ///< no device has been initialised (or selected)
    Already = 14,           ///< the device is already initialised, or the stream already in a mixer
    IllegalType = 19,       ///< unsupported attribute, position mode or sync type
    IllegalParameter = 20,  ///< an argument is out of range
    Device = 23,            ///< no device has this number
    NotPlaying = 24,        ///< the channel is not playing
    NotAvailable = 37,      ///< the value does not exist for this channel (a mixer's length)
    Decode = 38,            ///< a decoding channel cannot be played by itself, or a mixer source must be one
    FileForm = 41,          ///< the file holds no decodable audio (empty, corrupt, not audio)
    Codec = 44,             ///< no decoder for the file's audio
    Unknown = -1,
};

/// A failure inside the audio layer, carrying its code and the underlying library's text.
class AudioFailure : public std::runtime_error {
public:
    AudioFailure(AudioError code, const QString& text)
        : std::runtime_error(text.toStdString()), m_code(code) {}
    AudioError Code() const { return m_code; }

private:
    AudioError m_code;
};

}  // namespace sw
