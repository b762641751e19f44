#pragma once

#include <QString>

namespace sw {

/// The process-wide register of audio files the audio engine holds open. Linux has no share modes,
/// so a tag rewrite asks here instead: while a file is held, its exclusive open fails ("in use").
/// Paths are compared by their canonical form; a file may be held more than once.
namespace HeldFiles {

void Hold(const QString& path);
/// Undoes one Hold of the path.
void Release(const QString& path);
bool IsHeld(const QString& path);

}  // namespace HeldFiles

/// Holds a file for as long as the object lives.
class HeldFile {
public:
    explicit HeldFile(QString path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    QString m_path;
};

}  // namespace sw
