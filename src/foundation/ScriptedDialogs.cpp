#include "ScriptedDialogs.h"

#include <QFile>
#include <QTextStream>
#include <stdexcept>

namespace sw {

namespace {

QString OneLine(QString text) {
    text.replace("\r\n", "\\n");
    text.replace('\n', "\\n");
    text.replace('\r', "\\n");
    return text;
}

[[noreturn]] void BadAnswer(const QString& answer, const QString& question) {
    throw std::invalid_argument(QString("scripted answer \"%1\" does not fit the question \"%2\"")
                                    .arg(answer, question)
                                    .toStdString());
}

}  // namespace

ScriptedDialogs::ScriptedDialogs(QTextStream* echo) : m_echo(echo) {}

void ScriptedDialogs::QueueAnswers(const QStringList& answers) {
    for (const QString& answer : answers) {
        QueueAnswer(answer);
    }
}

void ScriptedDialogs::QueueAnswersFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        throw std::runtime_error(
            ("Cannot read answers file " + path + ": " + file.errorString()).toStdString());
    }
    QTextStream in(&file);
    while (!in.atEnd()) {
        QueueAnswer(in.readLine());
    }
}

QStringList ScriptedDialogs::TextsOf(const QString& kind) const {
    QStringList texts;
    const QString prefix = kind + ": ";
    for (const QString& line : m_transcript) {
        if (line.startsWith(prefix)) {
            texts << line.mid(prefix.size());
        }
    }
    return texts;
}

bool ScriptedDialogs::NextAnswer(QString& answer) {
    if (m_answers.empty()) {
        return false;
    }
    answer = m_answers.front();
    m_answers.pop_front();
    return true;
}

void ScriptedDialogs::Record(const QString& kind, const QString& text) {
    const QString line = kind + ": " + OneLine(text);
    m_transcript << line;
    if (m_echo) {
        *m_echo << line << Qt::endl;
    }
}

void ScriptedDialogs::ShowInfo(const QString& text) {
    Record("INFO", text);
}

void ScriptedDialogs::ShowError(const QString& text) {
    Record("ERROR", text);
}

char ScriptedDialogs::AskYesNoCancel(const QString& text) {
    QString answer = "Yes";
    NextAnswer(answer);
    const QString key = answer.trimmed().toLower();
    char result;
    if (key == "y" || key == "yes") {
        result = 'Y';
    } else if (key == "n" || key == "no") {
        result = 'N';
    } else if (key == "c" || key == "cancel") {
        result = 'C';
    } else if (key.isEmpty() || key == "close") {
        result = ' ';
    } else {
        BadAnswer(answer, text);
    }
    static const char* const kNames[] = {"Yes", "No", "Cancel", "(closed)"};
    const int index = result == 'Y' ? 0 : result == 'N' ? 1 : result == 'C' ? 2 : 3;
    Record("ASK", text + " -> " + kNames[index]);
    return result;
}

bool ScriptedDialogs::AskOkCancel(const QString& text) {
    QString answer = "OK";
    NextAnswer(answer);
    const QString key = answer.trimmed().toLower();
    bool ok;
    if (key == "ok" || key == "y" || key == "yes") {
        ok = true;
    } else if (key == "cancel" || key == "c" || key == "n" || key == "no" || key.isEmpty()) {
        ok = false;
    } else {
        BadAnswer(answer, text);
    }
    Record("ASK", text + (ok ? " -> OK" : " -> Cancel"));
    return ok;
}

int ScriptedDialogs::AskChoice(const QString& text, const QString& first, const QString& second) {
    QString answer = "1";
    NextAnswer(answer);
    const QString key = answer.trimmed().toLower();
    int choice;
    if (key == "1" || key == "2" || key == "0") {
        choice = key.toInt();
    } else if (key == "cancel" || key.isEmpty()) {
        choice = 0;
    } else {
        BadAnswer(answer, text);
    }
    Record("CHOICE", QString("%1 [%2 | %3] -> %4").arg(text, first, second).arg(choice));
    return choice;
}

bool ScriptedDialogs::InputText(const QString& prompt, QString& value, int maxLength, const QString& hint) {
    QString answer = "<ok>";
    NextAnswer(answer);
    const QString shown = hint.isEmpty() ? prompt : prompt + " / " + hint;
    if (answer.compare("<cancel>", Qt::CaseInsensitive) == 0) {
        Record("INPUT", shown + " -> (cancelled)");
        return false;
    }
    if (answer.compare("<ok>", Qt::CaseInsensitive) != 0) {
        value = maxLength > 0 ? answer.left(maxLength) : answer;
    }
    Record("INPUT", shown + " -> " + value);
    return true;
}

void ScriptedDialogs::FlashMessage(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    StackFlashText(text, false);
    Record("FLASH", text);
}

}  // namespace sw
