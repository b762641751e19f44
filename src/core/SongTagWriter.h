#pragma once

#include <QString>

namespace sw {

struct TSong;

/// M4A and WMA: files whose own tags (MP4, ASF) are read but never written.
inline bool IsReadOnlyTagType(const QString& fileType) {
    return fileType == "M4A" || fileType == "WMA";
}

/// Writes a song's details into its audio file's tags under the user's tag policy. The tag layer
/// provides it; the catalogue layer calls it when a rename or an edit must reach the files.
class SongTagWriter {
public:
    virtual ~SongTagWriter() = default;
    /// True when everything that had to be written was written.
    virtual bool SaveSongTags(TSong& song) = 0;
    /// Off: a missing audio file is skipped without a message.
    virtual void SetReportMissingFiles(bool report) = 0;
};

}  // namespace sw
