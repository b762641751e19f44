#include "OggVorbis.h"

#include "FileReader.h"

namespace sw {

QString TOggVorbis::LastFailureText() const {
    if (m_failure == OggSaveFailure::NotVorbis && m_codec == OggCodec::Opus) {
        return "not an Ogg Opus file";
    }
    return OggSaveFailureText(m_failure);
}

bool TOggVorbis::Read(const QString& path) {
    Clear();
    FileReader file;
    OggLayout layout;
    if (!file.Open(path) || !LocateOggHeaders(file, layout, m_codec)) {
        return false;
    }
    FillFromItems(layout.Comments.Items);
    return true;
}

}  // namespace sw
