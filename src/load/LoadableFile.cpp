#include "LoadableFile.h"

#include "core/SongPaths.h"
#include "tags/TagPolicy.h"

namespace sw {

bool IsLoadableFile(const QString& path, bool flacAndOpus) {
    return IsAudioType(FileTypeOf(path), flacAndOpus);
}

}  // namespace sw
