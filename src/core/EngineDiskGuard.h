#pragma once

#include <QString>
#include <cstdint>

namespace sw::fb {

/// The free space the embedded engine's lock files need in their folder: it maps them into memory,
/// and a page of a mapped file that the disk has no room for kills the process with SIGBUS.
inline constexpr std::int64_t kLockFolderSpaceNeeded = 4LL << 20;

/// The message for a lock folder on a disk with `freeBytes` left; empty when that is enough.
QString LockSpaceShortfallText(const QString& folder, std::int64_t freeBytes);

/// Before the engine starts: throws DatabaseError with that message when the disk holding the
/// lock folder is short of space, and makes a bus error (a mapped page the disk could not take)
/// say on standard error what most likely happened before the process ends with the signal.
void GuardLockFolderDisk(const QString& folder);

}  // namespace sw::fb
