#include "MprisAdaptors.h"

#include "core/Paths.h"

namespace sw {

QString MprisRootAdaptor::Identity() const {
    return kApplicationTitle;
}

}  // namespace sw
