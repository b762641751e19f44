#pragma once

#include <QString>

namespace sw {

/// SIGINT and SIGTERM ask the converter to stop instead of ending it where it stands: a running
/// conversion rolls back at its next row and the program then ends. A second signal ends the
/// process at once (exit status 1; the database engine undoes the open transaction). The first
/// call blocks both signals in the calling thread and takes them on a thread of its own, so called
/// before any other thread starts (the program's first step), no other thread ever sees them: the
/// database client's own handlers, which would shut the engine down under the conversion, never
/// run. Later calls put the handler back for threads started before the first one.
void CatchStopSignals();

/// The signal that has come since the last ClearStopSignal (SIGINT or SIGTERM); 0 when none has.
int StopSignal();
void ClearStopSignal();

/// "SIGINT", "SIGTERM", or "signal N".
QString SignalName(int signal);

}  // namespace sw
