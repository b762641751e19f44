#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/EngineDiskGuard.h"

namespace sw::fb {
namespace {

TEST(EngineDiskGuard, ADiskWithoutRoomForTheLockFilesIsNamedBeforeTheEngineStarts) {
    EXPECT_EQ(LockSpaceShortfallText("/home/ann/SW3DATA/firebird-lock", 60 * 1024),
              "The disk holding \"/home/ann/SW3DATA/firebird-lock\" is full (60 KB free): the database needs "
              "at least 4 MB there. Free some space and try again.");
    EXPECT_TRUE(LockSpaceShortfallText("/x", kLockFolderSpaceNeeded).isEmpty());
    EXPECT_FALSE(LockSpaceShortfallText("/x", kLockFolderSpaceNeeded - 1).isEmpty());
    // A folder with room passes.
    QTemporaryDir folder;
    EXPECT_NO_THROW(GuardLockFolderDisk(folder.path()));
}

}  // namespace
}  // namespace sw::fb
