#pragma once

#include <QString>

namespace sw {

/// True when the file's extension, upper-cased, is one the jukebox plays: MP3, OGG, WAV, M4A or WMA,
/// and FLAC or OPUS with `flacAndOpus` (the FLACOPUS setting).
bool IsLoadableFile(const QString& path, bool flacAndOpus = false);

}  // namespace sw
