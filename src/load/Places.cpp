#include "Places.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sw {

namespace {

/// The mount table writes blanks, tabs, newlines and backslashes as three-digit octal escapes.
QString DecodeMountField(const QString& field) {
    QString decoded;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                decoded += QChar(code);
                i += 3;
                continue;
            }
        }
        decoded += field[i];
    }
    return decoded;
}

QString WithoutTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith('/')) {
        path.chop(1);
    }
    return path;
}

bool IsInside(const QString& path, const QString& folder) {
    return path.startsWith(folder == "/" ? folder : folder + '/');
}

}  // namespace

QStringList PlacesFromMounts(const QString& mounts, const QString& home, const QString& user) {
    QStringList roots{"/media", "/mnt"};
    if (!user.isEmpty()) {
        roots << "/run/media/" + user;
    }
    QStringList mounted;
    for (const QString& line : mounts.split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
        if (fields.size() < 2) {
            continue;
        }
        const QString point = WithoutTrailingSlash(DecodeMountField(fields[1]));
        for (const QString& root : roots) {
            if (IsInside(point, root) && !mounted.contains(point)) {
                mounted << point;
            }
        }
    }
    mounted.sort(Qt::CaseInsensitive);

    QStringList places{"/"};
    const QString homeFolder = WithoutTrailingSlash(home);
    if (!homeFolder.isEmpty() && !places.contains(homeFolder)) {
        places << homeFolder;
    }
    for (const QString& point : mounted) {
        if (!places.contains(point)) {
            places << point;
        }
    }
    return places;
}

QStringList CurrentPlaces() {
    QFile table("/proc/self/mounts");
    QString mounts;
    if (table.open(QIODevice::ReadOnly)) {
        mounts = QString::fromLocal8Bit(table.readAll());
    }
    return PlacesFromMounts(mounts, QDir::homePath(), qEnvironmentVariable("USER"));
}

QString PlaceOf(const QString& folder, const QStringList& places) {
    const QString path = WithoutTrailingSlash(folder);
    QString best;
    for (const QString& place : places) {
        if ((path == place || IsInside(path, place)) && place.size() > best.size()) {
            best = place;
        }
    }
    return best;
}

}  // namespace sw
