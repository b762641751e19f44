#pragma once

#include <QString>
#include <vector>

#include "TagState.h"
#include "core/Song.h"
#include "core/SongTagWriter.h"

namespace sw {

class GenreLookup;
class TID3v2;
class Library;

/// How ReadSongFromFile resolves the artist and album it read: not at all, by lookup only, or by
/// lookup with creation (loading).
enum class ResolveMode { None = 0, Lookup = 1, Create = 2 };

/// Where song records meet their files' tags, under the user's settings: which tag is read first,
/// which tags are written, the rating kept in tags, and a tag parked while its file is in use.
class TagPolicy : public SongTagWriter {
public:
    TagPolicy(Library& library, GenreLookup& genres, TagState& state = ProcessTagState());

    /// A record built from the file: its name, size and type, and the details of its tags. True
    /// when the file exists and is of a handled type. Throws with the system's text when the file
    /// cannot be read.
    bool ReadSongFromFile(const QString& path, TSong& song, ResolveMode mode);
    bool ReadId3v2IntoSong(TSong& song);
    /// The Vorbis comments of the song's file: an Ogg Vorbis file, or by its FileType an Ogg
    /// Opus or FLAC file.
    bool ReadOggIntoSong(TSong& song);
    /// The MP4 tag of an M4A file or the ASF tag of a WMA file, by the song's FileType. Throws
    /// with the system's text when the file cannot be read.
    bool ReadContainerTagIntoSong(TSong& song);
    /// The rating hidden in the last tag read, or 0.
    int RatingFromTags() const;

    bool SaveSongTags(TSong& song) override;
    void SetReportMissingFiles(bool report) override { m_reportMissingFiles = report; }
    bool SaveId3v2(TSong& song);
    /// Writes the Vorbis comments of an OGG, OPUS or FLAC file.
    bool SaveOggTag(TSong& song);
    /// Takes out of the file's ID3v2 tag the frames whose content its ID3v1 tag holds in full; a
    /// tag left with nothing else goes. With `whereTheyDiffer`, the user chose the ID3v1 tag's
    /// details over those of a mismatched ID3v2 tag: its frames go wherever ID3v1 holds the
    /// field. True when the tag changed.
    bool RemoveId3v2(const QString& path, bool whereTheyDiffer = false);
    bool ConfirmNoTagSave(const TSong& song);

    /// Keeps the song for one more try after its file is released; says so. The kind is "MP3"
    /// (ID3v2), "MP3v1" (an ID3v1 tag, which is then saved whole later), or the file type whose
    /// Vorbis comments failed ("OGG", "OPUS", "FLAC"). Each file keeps its own parked tag; a
    /// second one for the same file replaces that file's.
    void ParkTag(const TSong& song, const QString& kind);
    /// Tries every parked tag once; true when all of them were saved (and their songs stored).
    bool RetryParkedTag();
    /// The first parked song, or an empty record.
    const TSong& ParkedSong() const;
    int ParkedCount() const { return static_cast<int>(m_parked.size()); }

    /// For a program about to end: tries the parked tags once more and says which stay unwritten.
    /// True when every tag the run had to write was written.
    bool FinishPendingWrites();

    /// The ID3v1-or-ID3v2 decision under policy 2: true when the save is to be cancelled.
    bool ChooseId3v1OrV2(const TSong& song, int tagSourceOfFile);
    bool Id3v1Fits(const TSong& song);
    /// 1 truncate, 2 use ID3v2, 0 cancelled.
    int AskTruncateOrV2();
    /// Marks the check failed (true) and keeps the cut text when `text` is longer than `limit`.
    bool Id3v1Overflow(const QString& text, int limit);

    TagState& State() { return m_state; }
    GenreLookup& Genres() { return m_genres; }
    /// The next save under policy 2 writes ID3v2 instead of ID3v1 (one shot).
    bool useV2 = false;
    /// An ID3v2 tag was ignored for its Unicode text since this was last cleared.
    bool unicodeTagsIgnored = false;
    const QString& TruncatedSample() const { return m_truncatedSample; }

private:
    void ShowTagSaved(const QString& kind, const QString& path);
    int Mp3Policy() const;
    /// Says that the song's file could not be tagged and why. A run over many files gathers
    /// these messages into its summary.
    void ReportUnwritten(const TSong& song, const QString& kind, const QString& why);
    /// The song's details put into the tag, leaving a field the tag already holds (in full, where
    /// the catalogue keeps it cut) as it stands.
    void PutSongIntoId3v2(TID3v2& tag, const TSong& song) const;
    /// After an ID3v1 write: what the ID3v1 tag holds in full leaves the ID3v2 tag, what it cannot
    /// hold is kept there in full.
    bool ComplementId3v1(const TSong& song);
    /// Refuses (and says so) a save to an MP3 whose ID3v2 tag cannot be read whole.
    bool Id3v2TagWritable(const TSong& song);

    Library& m_library;
    GenreLookup& m_genres;
    TagState& m_state;
    bool m_reportMissingFiles = true;
    QString m_truncatedSample;
    struct Parked {
        TSong Song;
        /// The parked tag is an ID3v1 tag that was not written at all.
        bool V1 = false;
    };
    std::vector<Parked> m_parked;
    bool m_retryingV1 = false;
    QString m_parkedSuffix;
    /// Files that could not be written since the policy was made.
    int m_unwrittenCount = 0;
    /// The title of the last ID3v2 tag read, before the file name's stood in for an empty one.
    QString m_lastId3v2Title;
    /// The last ID3v2 tag read had a comment of its own (see TID3v2::PlainComment).
    bool m_lastId3v2PlainComment = false;
};

/// The rating in a text beginning "Rating=" (any case); 0 for other texts. A value that is not a
/// number is reported and gives 0.
int RatingFromText(const QString& text);
/// WAV, M4A and WMA: audio files whose tags the program never writes.
bool IsUntaggedType(const QString& fileType);
/// OGG, OPUS and FLAC: files whose tags are Vorbis comments.
bool IsVorbisCommentType(const QString& fileType);
/// Every type the program plays: MP3, OGG, WAV, M4A, WMA, and FLAC and OPUS with `flacAndOpus`
/// (the FLACOPUS setting). The tag code handles FLAC and Opus files whatever the setting says,
/// so that songs loaded while it was on keep their tags.
bool IsAudioType(const QString& fileType, bool flacAndOpus = false);

}  // namespace sw
