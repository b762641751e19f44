#include "ProgramRunner.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

namespace sw::test {

const QString kSoundOutputLine = "FLASH: Sound output device = Null output";

QString ProgramPath(const QString& program) {
    return program.startsWith('/') ? program : QString(SW_BIN_DIR) + "/" + program;
}

bool LockIsHeld(const QString& lockFile) {
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY);
    if (fd < 0) {
        return false;
    }
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

bool StartJukebox(QProcess& process, const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SONWICK3_AUDIO", "null");
    process.setProcessEnvironment(env);
    process.start(ProgramPath("sonwick3"), {"--home", home, "--unattended"});
    const QString lock = home + "/LOCK.TXT";
    for (int i = 0; i < 500 && !LockIsHeld(lock); ++i) {
        QThread::msleep(10);
    }
    return LockIsHeld(lock);
}

ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                      const QStringList& environment) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("SONWICK3_HOME");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // Every machine has the same single sound output, the null one, unless the caller says otherwise.
    env.insert("SONWICK3_AUDIO", "null");
    for (const QString& variable : environment) {
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    }
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
    // Every start of the jukebox announces its one sound output; the runs compare the rest.
    run.out.remove(kSoundOutputLine + "\n");
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

}  // namespace sw::test
