#pragma once

#include <QString>

namespace sw {

/// The text written into a new lock file.
QString LockFileText(const QString& title);

/// Takes the single-instance lock on `lockFile`, creating the file with its explanation when it is
/// missing. Returns true when another instance holds it (or the file cannot be opened), after
/// showing "Program "<title>" is already running"; the caller must then end at once. The lock is
/// held until the process ends.
bool AcquireInstanceLock(const QString& lockFile, const QString& title);

}  // namespace sw
