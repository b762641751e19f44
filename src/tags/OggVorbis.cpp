#include "OggVorbis.h"

#include "FileReader.h"

namespace sw {

QString OggSaveFailureText(OggSaveFailure failure) {
    switch (failure) {
        case OggSaveFailure::None:
            return {};
        case OggSaveFailure::NotVorbis:
            return "not an Ogg Vorbis file";
        case OggSaveFailure::NoCommentHeader:
            return "no comment header";
        case OggSaveFailure::UnusualLayout:
            return "unusual layout of the Ogg header pages";
        case OggSaveFailure::DamagedHeaders:
            return "damaged Ogg header pages";
        case OggSaveFailure::NoFile:
            return "file does not exist";
        case OggSaveFailure::Attributes:
            return "file cannot be made writable";
        case OggSaveFailure::InUse:
            return "file in use";
        case OggSaveFailure::RewriteFailed:
            return "file could not be rewritten";
    }
    return {};
}

bool CannotBeTagged(OggSaveFailure failure) {
    return failure == OggSaveFailure::NotVorbis || failure == OggSaveFailure::NoCommentHeader ||
           failure == OggSaveFailure::UnusualLayout || failure == OggSaveFailure::DamagedHeaders;
}

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
