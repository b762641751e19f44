#pragma once

#include <QString>
#include <QStringList>

class QProcess;

namespace sw::test {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
    bool finished = false;
};

/// What the jukebox says at start-up about the null sound output.
extern const QString kSoundOutputLine;

/// Runs one of the built programs to its end (or the timeout) without a display and with the null
/// sound output, with the given variables added to its environment. The jukebox's announcement of
/// that output (kSoundOutputLine) is left out of `out`.
ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs = 60000,
                      const QStringList& environment = {});

/// Starts `sonwick3 --home HOME --unattended` without a display and waits until it holds its
/// instance lock; false when it never does.
bool StartJukebox(QProcess& process, const QString& home);

/// True while some process holds the instance lock on the file.
bool LockIsHeld(const QString& lockFile);

/// The path of a built program; an absolute path names a program elsewhere (an installed copy, a script).
QString ProgramPath(const QString& program);

}  // namespace sw::test
