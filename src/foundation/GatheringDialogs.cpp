#include "GatheringDialogs.h"

namespace sw {

QStringList GatheringDialogs::Take() {
    QStringList texts;
    texts.swap(m_texts);
    return texts;
}

QString MessagesLine(const QString& path, const QStringList& messages) {
    QStringList parts;
    for (QString message : messages) {
        message.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
        if (!path.isEmpty() && message.startsWith(path)) {
            message = message.mid(path.size());
        }
        message = message.trimmed();
        if (!message.isEmpty()) {
            parts << message;
        }
    }
    return parts.join("; ");
}

QString FailureLine(const QString& path, const QStringList& messages) {
    return path + " - " + MessagesLine(path, messages);
}

}  // namespace sw
