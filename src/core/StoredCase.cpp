#include "StoredCase.h"

#include "LoadCache.h"

namespace sw {

StoredCase::StoredCase(Catalogue& catalogue)
    : m_lower(catalogue, "select lower(cast(:text as varchar(255))) as lowered from rdb$database") {}

QString StoredCase::Lower(const QString& text) {
    if (LoadCache::LowersAlike(text)) {
        return text.toLower();
    }
    return m_lower.SetExactText("text", text).Open().TextAt(0, 0);
}

}  // namespace sw
