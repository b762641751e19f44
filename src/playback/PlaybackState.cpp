#include "PlaybackState.h"

#include "foundation/Dialogs.h"

namespace sw {

int AskInterrupt(PlaybackState state) {
    if (state == PlaybackState::Stopped) {
        return 1;
    }
    return AskChoice("Interrupt song now playing, are you sure?", "Interrupt", "or Queue");
}

}  // namespace sw
