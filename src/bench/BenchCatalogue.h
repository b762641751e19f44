#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextStream;

namespace sw {

class Catalogue;

/// Opens the catalogue a benchmark measures, at the current layout. With an empty `file`, a new
/// catalogue is made in `folder` and filled with `songs` generated songs (the shared synthetic
/// collection); otherwise `file` is used as it is. Progress goes to `err`.
void OpenBenchCatalogue(Catalogue& catalogue, QString file, const QString& folder, int songs,
                        QTextStream& err);

/// Writes a file of those bytes at `path`, making its folders. Throws when it cannot.
void WriteBenchFile(const QString& path, const QByteArray& bytes);

/// The value given after the option `name` (for example "--songs") on a benchmark's command line,
/// the last one when it is given more than once; `fallback` when it is not given.
QString BenchOption(const QStringList& arguments, const QString& name, const QString& fallback = {});
/// The same as a number.
int BenchOption(const QStringList& arguments, const QString& name, int fallback);

}  // namespace sw
