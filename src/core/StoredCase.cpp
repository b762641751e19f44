#include "StoredCase.h"

#include "LoadCache.h"

namespace sw {

StoredCase::StoredCase(Catalogue& catalogue)
    : m_lower(catalogue, "select lower(cast(:text as varchar(255))) as lowered from rdb$database") {}

QString StoredCase::Lower(const QString& text) {
    if (LoadCache::LowersAlike(text)) {
        return text.toLower();
    }
    for (const char32_t letter : text.toUcs4()) {
        if (letter < 0x80) {
            continue;
        }
        auto known = m_lowersAlike.constFind(letter);
        if (known == m_lowersAlike.cend()) {
            const QString one = QString::fromUcs4(&letter, 1);
            known = m_lowersAlike.insert(letter, EngineLower(one) == one.toLower());
        }
        if (!known.value()) {
            return EngineLower(text);
        }
    }
    return text.toLower();
}

QString StoredCase::EngineLower(const QString& text) {
    return m_lower.SetExactText("text", text).Open().TextAt(0, 0);
}

}  // namespace sw
