#pragma once

#include <QString>

class QTextStream;

namespace sw {

class Catalogue;

/// Opens the catalogue a benchmark measures, at the current layout. With an empty `file`, a new
/// catalogue is made in `folder` and filled with `songs` generated songs (the shared synthetic
/// collection); otherwise `file` is used as it is. Progress goes to `err`.
void OpenBenchCatalogue(Catalogue& catalogue, QString file, const QString& folder, int songs,
                        QTextStream& err);

}  // namespace sw
