#include "ProgramRunner.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace sw::test {

QString ProgramPath(const QString& program) {
    return QString(SW_BIN_DIR) + "/" + program;
}

ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("SONWICK3_HOME");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(ProgramPath(program), arguments);
    ProgramRun run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

}  // namespace sw::test
