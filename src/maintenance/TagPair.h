#pragma once

namespace sw {

struct TSong;

/// How the ID3v1 tag of an MP3 file compares with its ID3v2 tag.
enum class TagPairKind {
    Mismatched = -1,
    Identical = 0,
    /// Every ID3v1 text starts the ID3v2 text, and at least one is shorter: the ID3v1 tag is a cut
    /// copy of the ID3v2 tag.
    Truncated = 1,
};

/// Year and genre must be equal, and each of title, album, artist and comment of the ID3v1 record
/// must start (ignoring letter case) the ID3v2 record's text.
TagPairKind CompareTagPair(const TSong& v1, const TSong& v2);

/// Which tag a repair removes from a file that carries both.
enum class TagRemoval {
    None,
    Id3v1,
    Id3v2,
    /// The ID3v2 tag, or the ID3v1 tag when there was no ID3v2 tag to remove.
    Id3v2ElseId3v1,
};

/// The removal the MP3 tag policy asks for; `whichTag` (0 none, 1 ID3v1, 2 ID3v2) decides a
/// mismatched pair under policy 2.
TagRemoval PairRemoval(int mp3TagPolicy, TagPairKind kind, int whichTag);

}  // namespace sw
