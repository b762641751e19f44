#include "LoadableFile.h"

namespace sw {

bool IsLoadableFile(const QString& path) {
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    if (dot < 0 || dot < slash) {
        return false;
    }
    const QString extension = path.mid(dot + 1).toUpper();
    return extension == "MP3" || extension == "OGG" || extension == "WAV" || extension == "M4A" ||
           extension == "WMA";
}

}  // namespace sw
