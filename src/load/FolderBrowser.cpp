#include "FolderBrowser.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>

#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

QString NormalFolderPath(const QString& path) {
    QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    AddTrailingBackslash(folder);
    return folder;
}

QString ParentFolder(const QString& folder) {
    QString path = NormalFolderPath(folder);
    if (path == "/") {
        return path;
    }
    path.chop(1);
    return path.left(path.lastIndexOf('/') + 1);
}

QString TypedFolder(const QString& typed, const QString& current, const QString& home) {
    QString path = typed.trimmed();
    if (path.size() >= 2 && (path.front() == '"' || path.front() == '\'') && path.back() == path.front()) {
        path = path.mid(1, path.size() - 2);
    }
    if (path.startsWith("file://")) {
        path = QUrl(path).toLocalFile();
    }
    if (path.isEmpty()) {
        return {};
    }
    if (path == "~" || path.startsWith("~/")) {
        path = home + "/" + path.mid(1);
    } else if (!path.startsWith('/')) {
        path = current + "/" + path;
    }
    const QFileInfo info(QDir::cleanPath(path));
    if (info.isDir()) {
        return NormalFolderPath(info.filePath());
    }
    if (info.isFile()) {
        return NormalFolderPath(info.path());
    }
    return {};
}

QString LoadStartFolder(const QString& loadPath, const QString& root, const QString& home) {
    const bool rootSet = !root.trimmed().isEmpty() && root.startsWith('/');
    if (!loadPath.isEmpty() && !(rootSet && NormalFolderPath(loadPath) == "/")) {
        return NearestExistingFolder(loadPath);
    }
    return NearestExistingFolder(rootSet ? root : home);
}

QString NearestExistingFolder(const QString& path) {
    QString folder = NormalFolderPath(path.isEmpty() ? QString("/") : path);
    while (folder != "/" && !QFileInfo(folder).isDir()) {
        folder = ParentFolder(folder);
    }
    return folder;
}

namespace {

QString FolderOfPath(const QString& path) {
    if (path.endsWith('/')) {
        return path;
    }
    if (QFileInfo(path).isDir()) {
        return path + '/';
    }
    return path.left(path.lastIndexOf('/') + 1);
}

}  // namespace

QString SeekFolderOfPath(QString& path) {
    while (!path.isEmpty()) {
        const QString folder = FolderOfPath(path);
        if (folder.startsWith('/') && QFileInfo(folder).isDir()) {
            return NormalFolderPath(folder);
        }
        ShowInfo("Folder not found\n" + QuoteDouble(path) + " - seeking parent");
        QString shorter = path;
        if (shorter.endsWith('/')) {
            shorter.chop(1);
        }
        path = shorter.left(shorter.lastIndexOf('/') + 1);
    }
    path = "/";
    return path;
}

void SortNames(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int byCase = a.toLower().compare(b.toLower());
        return byCase != 0 ? byCase < 0 : a < b;
    });
}

bool FolderBrowser::OpenFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return false;
    }
    m_current = NormalFolderPath(folder);
    ReadCurrent();
    m_selected = m_currentIndex;
    return true;
}

bool FolderBrowser::OpenSelected() {
    if (m_selected < 0 || m_selected >= static_cast<int>(m_items.size())) {
        return false;
    }
    return OpenFolder(m_items[m_selected].path);
}

FolderBrowser::ParentStep FolderBrowser::GoToParentFolder() {
    if (m_selected == 0) {
        return ParentStep::CloseWindow;
    }
    int index = m_selected;
    while (index >= 0 && index != m_currentIndex) {
        --index;
    }
    if (index <= 0) {
        return ParentStep::Stayed;
    }
    const QString left = m_items[index].path;
    if (!OpenFolder(m_items[index - 1].path)) {
        return ParentStep::Stayed;
    }
    SelectFolder(left);
    return ParentStep::Moved;
}

bool FolderBrowser::OpenParent() {
    if (m_current.isEmpty() || m_current == "/") {
        return false;
    }
    const QString left = m_current;
    if (!OpenFolder(ParentFolder(left))) {
        return false;
    }
    SelectFolder(left);
    return true;
}

void FolderBrowser::Refresh() {
    if (m_current.isEmpty()) {
        return;
    }
    const QString selected = m_selected >= 0 && m_selected < static_cast<int>(m_items.size())
                                 ? m_items[m_selected].path
                                 : QString();
    m_current = NearestExistingFolder(m_current);
    ReadCurrent();
    if (selected.isEmpty() || !SelectFolder(selected)) {
        m_selected = m_currentIndex;
    }
}

void FolderBrowser::Select(int index) {
    if (index >= 0 && index < static_cast<int>(m_items.size())) {
        m_selected = index;
    }
}

bool FolderBrowser::SelectFolder(const QString& folder) {
    const QString path = NormalFolderPath(folder);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].path == path) {
            m_selected = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void FolderBrowser::MoveSelection(int step) {
    if (m_items.empty()) {
        return;
    }
    const int last = static_cast<int>(m_items.size()) - 1;
    m_selected = std::clamp(m_selected + step, 0, last);
}

void FolderBrowser::ReadCurrent() {
    m_items.clear();
    m_files.clear();
    m_items.push_back({"/", "/", 0, true});
    QString chain = "/";
    for (const QString& part : m_current.split('/', Qt::SkipEmptyParts)) {
        chain += part + '/';
        m_items.push_back({chain, part, static_cast<int>(m_items.size()), true});
    }
    m_currentIndex = static_cast<int>(m_items.size()) - 1;

    m_readable = ::access(QFile::encodeName(m_current).constData(), R_OK | X_OK) == 0;
    const QDir dir(m_current);
    const QDir::Filters shown = QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    QStringList folders = dir.entryList(QDir::Dirs | shown, QDir::NoSort);
    SortNames(folders);
    const int depth = m_currentIndex + 1;
    for (const QString& name : folders) {
        m_items.push_back({m_current + name + '/', name, depth, false});
    }
    m_files = dir.entryList(QDir::Files | shown, QDir::NoSort);
    SortNames(m_files);
}

}  // namespace sw
