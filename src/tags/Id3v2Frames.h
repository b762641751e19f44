#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace sw {

class FileReader;

inline constexpr int kId3v2FrameHeaderSize = 10;

/// One frame of a tag as the file holds it: a rewrite that does not change the frame puts these
/// bytes back as they were. In a version 3 tag that was unsynchronised as a whole, Data is the
/// frame as it was before unsynchronisation.
struct Id3v2Frame {
    QByteArray Id;
    std::uint8_t StatusFlags = 0;
    std::uint8_t FormatFlags = 0;
    QByteArray Data;

    bool operator==(const Id3v2Frame&) const = default;
};

/// Every frame of the ID3v2 tag at the start of a file, and how far the tag reaches. Some
/// taggers put a second tag right behind the first; both count as the tag, and the second
/// one's frames that the first does not already hold are kept with it.
struct Id3v2Layout {
    bool Exists = false;
    std::uint8_t Version = 0;
    /// The bytes at the start of the file that the tag (or tags) and their padding take.
    std::int64_t End = 0;
    std::vector<Id3v2Frame> Frames;
    /// Why the tag cannot be taken apart whole, so that no rewrite may replace it; empty when it
    /// can.
    QString Damage;
};

/// Reads the whole tag. A size field that passes the end of the audio (an ID3v1 trailer does not
/// count as audio), a frame that runs past the end of its tag, a tag of a version other than 3
/// and 4, and frames that cannot be told apart all leave Damage set.
Id3v2Layout ReadId3v2Layout(const FileReader& file);

/// A tag of that version (3 or 4) holding the frames in their order, without padding; nothing
/// when it would not fit the 28 bits of the size field.
QByteArray BuildId3v2Tag(std::uint8_t version, const std::vector<Id3v2Frame>& frames);

/// What a frame's format flags (`flags`, of a version 3 or 4 tag) leave of its data to read as
/// text: the prefixes gone and unsynchronisation undone. Nothing for a compressed or encrypted
/// frame.
std::optional<QByteArray> Id3v2FrameContent(const QByteArray& raw, std::uint8_t flags, int version,
                                            bool tagUnsynchronised);

/// The first four bytes make a frame id: a capital letter, then capitals or digits.
bool LooksLikeFrameId(const QByteArray& bytes);

/// Bytes of a tag body (what follows the tag header): up to `length` from `offset`.
using Id3v2BytesAt = std::function<QByteArray(std::int64_t offset, std::int64_t length)>;

/// The data size of the frame whose ten header bytes are `header`, at `position` of a tag body
/// that ends at `end`; nothing when the size cannot be right. Version 4 sizes are synchsafe, but
/// some programs wrote them plain: where the two readings differ, the one after which a frame
/// boundary follows is taken.
std::optional<std::int64_t> Id3v2FrameDataSize(const Id3v2BytesAt& body, std::int64_t end,
                                               std::int64_t position, const char* header, int version);

}  // namespace sw
