#pragma once

#include <QStringList>

namespace sw {

class Catalogue;
class CoreSession;

/// The history pass: every HISTORY row whose PLDATE and PLTIME do not match its TS (split into
/// yyyymmdd and hhmmss, rounded to the second) is reported, and fixed when `repair` is set.
/// Returns the report lines. Changes are committed at the end.
QStringList CheckHistoryTimes(Catalogue& catalogue, bool repair);

/// Opening the database check. At catalogue version 9 it repairs the play history and raises the
/// catalogue to version 10.
void OpenHealthCheck(CoreSession& session);

}  // namespace sw
