// convert_bench [SONGS [ENTRIES]]: converts a generated previous-edition catalogue of SONGS songs
// (default 50,000) with their artists, albums, playlists and ENTRIES playlist entries (default
// 200,000) into a fresh catalogue, and prints how long the conversion took.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <exception>

#include "Fixtures.h"
#include "TestCatalogue.h"
#include "converter/ConverterController.h"
#include "core/CatalogueCreation.h"
#include "foundation/ScriptedDialogs.h"

namespace {

/// Processor time of the whole process (all its threads, the embedded database engine's included).
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// Prints each log line with the seconds since the conversion started.
class TimedLog : public sw::ConverterDisplay {
public:
    TimedLog(QTextStream& out, const QElapsedTimer& timer)
        : m_out(out), m_timer(timer), m_cpuStart(CpuSeconds()) {}
    void LabelsChanged() override {}
    void LineLogged(const QString& line) override {
        m_out << QString::number(m_timer.elapsed() / 1000.0, 'f', 2) << " s (processor "
              << QString::number(CpuSeconds() - m_cpuStart, 'f', 2) << " s)  " << line << Qt::endl;
    }
    void StatusChanged() override {}
    void PumpEvents() override {}
    void EndProgram() override {}

private:
    QTextStream& m_out;
    const QElapsedTimer& m_timer;
    double m_cpuStart;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int songs = argc > 1 ? QString(argv[1]).toInt() : 50000;
    const int entries = argc > 2 ? QString(argv[2]).toInt() : 200000;
    if (songs < 1 || entries < 0) {
        std::fputs("usage: convert_bench [SONGS [ENTRIES]]\n", stderr);
        return 2;
    }
    QTextStream out(stdout);
    try {
        QTemporaryDir work;
        const QString legacy = work.filePath("legacy");
        const QString home = work.filePath("home");
        QElapsedTimer timer;
        timer.start();
        sw::test::WriteGeneratedLegacyFolder(legacy, songs, entries);
        QDir().mkpath(home + "/SW3DATA");
        sw::CreateCatalogue(home + "/SW3DATA/SONGS.FDB", "Bench", sw::test::CreationScript());
        out << "prepared in " << timer.elapsed() / 1000.0 << " s" << Qt::endl;

        sw::ScriptedDialogs dialogs;
        sw::ScopedDialogs installed(dialogs);
        sw::ConverterController converter(home);
        TimedLog log(out, timer);
        converter.SetDisplay(&log);
        const double cpuBefore = CpuSeconds();
        timer.restart();
        if (!converter.AcceptLegacyFolder(legacy) || !converter.Convert()) {
            out << dialogs.Transcript().join('\n') << Qt::endl << converter.LogLines().join('\n') << Qt::endl;
            return 1;
        }
        converter.CloseRequest();
        const double seconds = timer.elapsed() / 1000.0;
        const double cpu = CpuSeconds() - cpuBefore;
        const double rows = songs + entries;
        out << "songs=" << songs << " entries=" << entries << " seconds=" << QString::number(seconds, 'f', 2)
            << " cpu_seconds=" << QString::number(cpu, 'f', 2)
            << " rows_per_s=" << QString::number(rows / seconds, 'f', 0) << Qt::endl;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "convert_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
