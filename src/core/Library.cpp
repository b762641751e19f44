#include "Library.h"

namespace sw {

Library::Library(Catalogue& catalogueRef, Settings& settingsRef)
    : catalogue(catalogueRef),
      settings(settingsRef),
      artists(catalogueRef),
      albums(catalogueRef, artists),
      songs(catalogueRef, albums, settingsRef),
      size(settingsRef) {}

}  // namespace sw
