#include "HeldFiles.h"

#include <QFileInfo>
#include <map>
#include <mutex>

namespace sw {

namespace {

std::mutex g_mutex;
std::map<QString, int> g_held;

QString Key(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

}  // namespace

void HeldFiles::Hold(const QString& path) {
    const QString key = Key(path);
    std::lock_guard lock(g_mutex);
    ++g_held[key];
}

void HeldFiles::Release(const QString& path) {
    const QString key = Key(path);
    std::lock_guard lock(g_mutex);
    const auto found = g_held.find(key);
    if (found != g_held.end() && --found->second <= 0) {
        g_held.erase(found);
    }
}

bool HeldFiles::IsHeld(const QString& path) {
    const QString key = Key(path);
    std::lock_guard lock(g_mutex);
    return g_held.count(key) != 0;
}

// The key is kept so that a file deleted or renamed while held is still released.
HeldFile::HeldFile(QString path) : m_path(Key(path)) {
    HeldFiles::Hold(m_path);
}

HeldFile::~HeldFile() {
    HeldFiles::Release(m_path);
}

}  // namespace sw
