#include "OggVorbis.h"

#include "FileReader.h"
#include "OggLayout.h"
#include "TagText.h"

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

void TOggVorbis::Clear() {
    m_title.clear();
    m_artist.clear();
    m_album.clear();
    m_track = 0;
    m_date.clear();
    m_genre.clear();
    m_comment.clear();
    m_vendor.clear();
    m_vendorSet = false;
}

void TOggVorbis::SetVendor(const QString& value) {
    m_vendor = value;
    m_vendorSet = true;
}

bool TOggVorbis::Read(const QString& path) {
    Clear();
    FileReader file;
    OggLayout layout;
    if (!file.Open(path) || !LocateOggHeaders(file, layout)) {
        return false;
    }
    m_vendor = layout.Items[0];
    m_title = layout.Items[1];
    m_artist = layout.Items[2].isEmpty() ? layout.Items[8] : layout.Items[2];
    m_album = layout.Items[3];
    m_track = TrackFromText(layout.Items[4]);
    m_date = layout.Items[5];
    m_genre = layout.Items[6];
    m_comment = layout.Items[7].isEmpty() ? layout.Items[9] : layout.Items[7];
    return true;
}

}  // namespace sw
