#include "LoadableFile.h"

#include "core/SongPaths.h"
#include "tags/TagPolicy.h"

namespace sw {

bool IsLoadableFile(const QString& path) {
    return IsAudioType(FileTypeOf(path));
}

}  // namespace sw
