#include "TagState.h"

#include "core/Song.h"

namespace sw {

TagState& ProcessTagState() {
    static TagState state;
    return state;
}

void NoteTagRead(TagState& state, const TSong& song) {
    state.EmptyTagRead = song.Title.isEmpty() && song.ArtistName.isEmpty() && song.AlbumName.isEmpty();
}

}  // namespace sw
