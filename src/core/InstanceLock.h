#pragma once

#include <QString>

namespace sw {

/// The text written into a new lock file.
QString LockFileText(const QString& title);

enum class InstanceLockResult {
    Taken,        ///< this process holds the lock until it ends
    Held,         ///< another process holds it
    Unavailable,  ///< the lock file cannot be created or opened
};

/// Takes the single-instance lock on `lockFile` without a message, creating the file with its
/// explanation when it is missing. For Unavailable, `reason` gets the system's text.
InstanceLockResult TakeInstanceLock(const QString& lockFile, const QString& title, QString* reason = nullptr);

/// Takes the single-instance lock on `lockFile`, creating the file with its explanation when it is
/// missing. Returns true when another instance holds it (or the file cannot be opened), after
/// showing "Program "<title>" is already running"; the caller must then end at once. The lock is
/// held until the process ends.
bool AcquireInstanceLock(const QString& lockFile, const QString& title);

/// Takes the program folder's single-instance lock for a companion program (swtool, swconv) that
/// changes the catalogue or the settings, so that it never works beside sonwick3. Throws, saying
/// so, when it is held.
void LockProgramFolder();

}  // namespace sw
