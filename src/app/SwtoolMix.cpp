// swtool mix: renders a cross-fade from one song into another into a WAV file, faster than real
// time, so that fades can be checked by ear and by analysis.
#include <QTextStream>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "playback/audio/CrossfadeMix.h"

namespace sw::swtool {

namespace {

const char* const kUsage = "usage: swtool mix OUT.wav --fade-ms N --at SECONDS A B";

[[noreturn]] void Refuse(const QString& text) {
    throw std::runtime_error((text + "\n" + kUsage).toStdString());
}

QString ValueOf(const QStringList& arguments, qsizetype* at) {
    if (*at + 1 >= arguments.size()) {
        Refuse(arguments.at(*at) + " needs a value");
    }
    ++*at;
    return arguments.at(*at);
}

}  // namespace

int RunMix(const QStringList& arguments) {
    CrossfadeMixRequest request;
    QStringList files;
    bool haveFade = false;
    bool haveAt = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == "--fade-ms") {
            bool ok = false;
            request.fadeMilliseconds = ValueOf(arguments, &i).toUInt(&ok);
            if (!ok) {
                Refuse("--fade-ms takes whole milliseconds, not " + arguments.at(i));
            }
            haveFade = true;
        } else if (argument == "--at") {
            bool ok = false;
            request.atSeconds = ValueOf(arguments, &i).toDouble(&ok);
            if (!ok || request.atSeconds < 0) {
                Refuse("--at takes seconds from 0 up, not " + arguments.at(i));
            }
            haveAt = true;
        } else if (argument.startsWith("--")) {
            Refuse("unknown option " + argument);
        } else {
            files << argument;
        }
    }
    if (files.size() != 3 || !haveFade || !haveAt) {
        Refuse("mix needs an output file, --fade-ms, --at and two songs");
    }
    request.output = files.at(0);
    request.first = files.at(1);
    request.second = files.at(2);

    const CrossfadeMixResult result = RenderCrossfadeMix(request);
    QTextStream out(stdout);
    out << request.output << ": " << result.frames << " frames ("
        << QString::number(result.frames / 44100.0, 'f', 3) << " s), cross-fade at frame " << result.fadeStart
        << " over " << request.fadeMilliseconds << " ms" << Qt::endl;
    return 0;
}

}  // namespace sw::swtool
