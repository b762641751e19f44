#pragma once

#include <QString>
#include <QStringList>

namespace sw::test {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
    bool finished = false;
};

/// Runs one of the built programs to its end (or the timeout) without a display.
ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs = 60000);

/// The path of a built program.
QString ProgramPath(const QString& program);

}  // namespace sw::test
