#pragma once

#include <QString>

class QWidget;

namespace sw {

class Catalogue;

/// A list of the catalogue's genres to choose one from, by name; true with a genre chosen. It
/// stands in for the genres window's pick until that window exists.
bool PickGenreFromList(Catalogue& catalogue, QWidget* parent, int& genreId, QString& genreName);

}  // namespace sw
