#include <gtest/gtest.h>

#include "foundation/ScriptedDialogs.h"
#include "playback/PlaybackState.h"

namespace sw {
namespace {

TEST(AskInterrupt, AsksOnlyWhileSomethingPlays) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    EXPECT_EQ(AskInterrupt(PlaybackState::Stopped), 1);
    dialogs.QueueAnswers({"2", "0"});
    EXPECT_EQ(AskInterrupt(PlaybackState::Paused), 2);
    EXPECT_EQ(AskInterrupt(PlaybackState::Playing), 0);
    EXPECT_EQ(dialogs.Transcript(),
              (QStringList{"CHOICE: Interrupt song now playing, are you sure? [Interrupt | or Queue] -> 2",
                           "CHOICE: Interrupt song now playing, are you sure? [Interrupt | or Queue] -> 0"}));
}

}  // namespace
}  // namespace sw
