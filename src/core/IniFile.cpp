#include "IniFile.h"

#include <QFile>
#include <QStringDecoder>
#include <optional>
#include <stdexcept>
#include <vector>

#include "foundation/Files.h"
#include "foundation/Numbers.h"

namespace sw {

namespace {

enum class LineKind { Other, Section, Key };

/// One line of the file as read: its bytes (line ending included) and what it means.
struct Line {
    explicit Line(QByteArray bytes, LineKind lineKind = LineKind::Other, QString lineName = {},
                  QString lineValue = {})
        : raw(std::move(bytes)), kind(lineKind), name(std::move(lineName)), value(std::move(lineValue)) {}

    QByteArray raw;
    LineKind kind;
    QString name;   ///< section or key name
    QString value;  ///< a key's value
};

/// UTF-8 where the bytes are UTF-8, else Latin-1, so that no byte is lost to a replacement mark.
QString DecodeLine(const QByteArray& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QByteArray WithoutLineEnding(const QByteArray& raw) {
    QByteArray text = raw;
    if (text.endsWith('\n')) {
        text.chop(1);
    }
    if (text.endsWith('\r')) {
        text.chop(1);
    }
    return text;
}

Line ParseLine(const QByteArray& raw) {
    Line line(raw);
    const QByteArray bytes = WithoutLineEnding(raw);
    // A NUL byte makes one bad line, which is kept but not read.
    if (bytes.contains('\0')) {
        return line;
    }
    const QString text = DecodeLine(bytes).trimmed();
    if (text.isEmpty() || text.startsWith(';') || text.startsWith('#')) {
        return line;
    }
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        if (close > 0) {
            line.kind = LineKind::Section;
            line.name = text.mid(1, close - 1).trimmed();
        }
        return line;
    }
    const qsizetype equals = text.indexOf('=');
    if (equals > 0) {
        line.kind = LineKind::Key;
        line.name = text.left(equals).trimmed();
        line.value = text.mid(equals + 1).trimmed();
    }
    return line;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

struct IniFile::Impl {
    std::vector<Line> lines;
    QByteArray loaded;
    bool existed = false;
    QByteArray newline = "\n";

    /// Calls `visit(index)` for each key line of the section, in file order, until it returns true.
    template <typename Visit>
    void ForEachKey(const QString& section, const QString& key, Visit&& visit) const {
        bool inSection = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Line& line = lines[i];
            if (line.kind == LineKind::Section) {
                inSection = SameName(line.name, section);
            } else if (inSection && line.kind == LineKind::Key && SameName(line.name, key) && visit(i)) {
                return;
            }
        }
    }

    std::optional<std::size_t> FirstKey(const QString& section, const QString& key) const {
        std::optional<std::size_t> found;
        ForEachKey(section, key, [&](std::size_t i) { return found = i, true; });
        return found;
    }

    /// Gives the line before `at` a line ending, so that a line can be inserted there.
    void EndLineBefore(std::size_t at) {
        if (at > 0 && !lines[at - 1].raw.endsWith('\n')) {
            lines[at - 1].raw += newline;
        }
    }

    void Insert(std::size_t at, Line line) {
        EndLineBefore(at);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    }

    /// Where a new key of the section goes: after its block's last line that is not blank.
    std::optional<std::size_t> EndOfSection(const QString& section) const {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].kind != LineKind::Section || !SameName(lines[i].name, section)) {
                continue;
            }
            std::size_t end = i + 1;
            for (std::size_t j = i + 1; j < lines.size() && lines[j].kind != LineKind::Section; ++j) {
                if (!WithoutLineEnding(lines[j].raw).trimmed().isEmpty()) {
                    end = j + 1;
                }
            }
            return end;
        }
        return std::nullopt;
    }

    QByteArray Content() const {
        QByteArray content;
        for (const Line& line : lines) {
            content += line.raw;
        }
        return content;
    }
};

IniFile::IniFile(QString path) : m_path(std::move(path)), m_impl(std::make_unique<Impl>()) {
    if (m_path.isEmpty()) {
        return;
    }
    QFile file(m_path);
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(("Cannot read " + m_path + ": " + file.errorString()).toStdString());
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw std::runtime_error(("Cannot read " + m_path + ": " + file.errorString()).toStdString());
    }
    m_impl->existed = true;
    m_impl->loaded = content;
    qsizetype start = 0;
    while (start < content.size()) {
        const qsizetype end = content.indexOf('\n', start);
        const qsizetype next = end < 0 ? content.size() : end + 1;
        m_impl->lines.push_back(ParseLine(content.mid(start, next - start)));
        start = next;
    }
    // New lines follow the file's own line endings.
    const qsizetype firstEnd = content.indexOf('\n');
    if (firstEnd > 0 && content.at(firstEnd - 1) == '\r') {
        m_impl->newline = "\r\n";
    }
}

IniFile::~IniFile() = default;

bool IniFile::HasKey(const QString& section, const QString& key) const {
    return m_impl->FirstKey(section, key).has_value();
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    const auto found = m_impl->FirstKey(section, key);
    if (!found) {
        return defaultValue;
    }
    const QString& text = m_impl->lines[*found].value;
    if (text.startsWith("0x", Qt::CaseInsensitive)) {
        bool ok = false;
        const int value = static_cast<int>(text.mid(2).toUInt(&ok, 16));
        return ok ? value : defaultValue;
    }
    int value = 0;
    return !text.isEmpty() && TryParseInt(text, value) ? value : defaultValue;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const auto found = m_impl->FirstKey(section, key);
    return found ? m_impl->lines[*found].value : defaultValue;
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    // A line break inside a value would make lines of its own.
    QString text = value;
    text.replace('\r', ' ').replace('\n', ' ');
    const QString stored = text.trimmed();
    const auto found = m_impl->FirstKey(section, key);
    if (found) {
        Line& line = m_impl->lines[*found];
        if (line.value != stored) {
            const QByteArray ending = line.raw.endsWith('\n') ? m_impl->newline : QByteArray();
            line.raw = line.name.toUtf8() + " = " + text.toUtf8() + ending;
            line.value = stored;
        }
        return;
    }
    Line line(key.toUtf8() + " = " + text.toUtf8() + m_impl->newline, LineKind::Key, key, stored);
    if (const auto end = m_impl->EndOfSection(section)) {
        m_impl->Insert(*end, std::move(line));
        return;
    }
    // A new section starts after two blank lines, as the program has always written them.
    std::size_t at = m_impl->lines.size();
    if (at > 0) {
        m_impl->EndLineBefore(at);
        int blanks = 0;
        for (std::size_t i = at; i > 0 && blanks < 2 && m_impl->lines[i - 1].raw.trimmed().isEmpty(); --i) {
            ++blanks;
        }
        for (; blanks < 2; ++blanks) {
            m_impl->lines.emplace_back(m_impl->newline);
        }
    }
    m_impl->lines.emplace_back("[" + section.toUtf8() + "]" + m_impl->newline, LineKind::Section, section);
    m_impl->lines.push_back(std::move(line));
}

void IniFile::DeleteKey(const QString& section, const QString& key) {
    std::vector<std::size_t> doomed;
    m_impl->ForEachKey(section, key, [&](std::size_t i) { return doomed.push_back(i), false; });
    for (auto i = doomed.rbegin(); i != doomed.rend(); ++i) {
        m_impl->lines.erase(m_impl->lines.begin() + static_cast<std::ptrdiff_t>(*i));
    }
}

void IniFile::Save() const {
    if (m_path.isEmpty()) {
        throw std::logic_error("A settings file without a path cannot be saved");
    }
    const QByteArray content = m_impl->Content();
    if (m_impl->existed && content == m_impl->loaded) {
        return;
    }
    WriteFileAtomically(m_path, content);
}

}  // namespace sw
