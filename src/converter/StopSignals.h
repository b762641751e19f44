#pragma once

#include <QString>

namespace sw {

/// SIGINT and SIGTERM ask the converter to stop instead of ending it where it stands: a running
/// conversion rolls back at its next row and the program then ends. A second signal ends the
/// process at once (exit status 1; the database engine undoes the open transaction). Catching
/// replaces whatever handlers were installed, the database client's own among them (which would
/// shut the engine down under the conversion), so it is done again after each catalogue opens.
void CatchStopSignals();

/// The signal that has come since the last ClearStopSignal (SIGINT or SIGTERM); 0 when none has.
int StopSignal();
void ClearStopSignal();

/// "SIGINT", "SIGTERM", or "signal N".
QString SignalName(int signal);

}  // namespace sw
