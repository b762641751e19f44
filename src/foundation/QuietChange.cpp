#include "QuietChange.h"

namespace sw {

namespace {
bool g_quietChange = false;
}

void SetQuietChange() {
    g_quietChange = true;
}

bool TakeQuietChange() {
    const bool was = g_quietChange;
    g_quietChange = false;
    return was;
}

}  // namespace sw
