#include "TagPair.h"

#include "core/Song.h"
#include "foundation/Text.h"

namespace sw {

TagPairKind CompareTagPair(const TSong& v1, const TSong& v2) {
    if (v1.Year != v2.Year || v1.GenreId != v2.GenreId) {
        return TagPairKind::Mismatched;
    }
    bool shorter = false;
    const std::pair<const QString*, const QString*> texts[] = {{&v1.Title, &v2.Title},
                                                               {&v1.AlbumName, &v2.AlbumName},
                                                               {&v1.ArtistName, &v2.ArtistName},
                                                               {&v1.Comment, &v2.Comment}};
    for (const auto& [first, second] : texts) {
        if (ComparePrefixNoCase(*second, *first) != 0) {
            return TagPairKind::Mismatched;
        }
        shorter = shorter || first->size() < second->size();
    }
    return shorter ? TagPairKind::Truncated : TagPairKind::Identical;
}

TagRemoval PairRemoval(int mp3TagPolicy, TagPairKind kind, int whichTag) {
    switch (mp3TagPolicy) {
        case 0:
            return TagRemoval::Id3v2ElseId3v1;
        case 1:
            return TagRemoval::Id3v2;
        case 2:
            if (kind == TagPairKind::Identical) {
                return TagRemoval::Id3v2;
            }
            if (kind == TagPairKind::Truncated) {
                return TagRemoval::Id3v1;
            }
            return whichTag == 1 ? TagRemoval::Id3v1 : whichTag == 2 ? TagRemoval::Id3v2 : TagRemoval::None;
        case 3:
            return TagRemoval::Id3v1;
        default:
            return TagRemoval::None;
    }
}

}  // namespace sw
