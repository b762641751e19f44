#include "TagRewrite.h"

#include <exception>
#include <optional>
#include <set>

#include "Catalogue.h"
#include "Library.h"
#include "RowSet.h"
#include "SongStore.h"
#include "SongTagWriter.h"
#include "foundation/Dialogs.h"

namespace sw {

namespace {

/// Stands in for the installed dialogs while files are written: messages are kept for the
/// closing report instead of stopping the walk with a box per file, and the notice of each
/// saved file is dropped (hundreds of them would pile up in one flash window, and drawing it
/// costs more than the write); the tag writer's questions reach the user as before.
class GatheringDialogs : public Dialogs {
public:
    explicit GatheringDialogs(Dialogs& shown) : m_shown(shown) {}

    QStringList Take() {
        QStringList texts;
        texts.swap(m_texts);
        return texts;
    }

    void ShowInfo(const QString& text) override { m_texts << text; }
    void ShowError(const QString& text) override { m_texts << text; }
    char AskYesNoCancel(const QString& text) override { return m_shown.AskYesNoCancel(text); }
    bool AskOkCancel(const QString& text) override { return m_shown.AskOkCancel(text); }
    int AskChoice(const QString& text, const QString& first, const QString& second) override {
        return m_shown.AskChoice(text, first, second);
    }
    bool InputText(const QString& prompt, QString& value, int maxLength, const QString& hint) override {
        return m_shown.InputText(prompt, value, maxLength, hint);
    }
    void FlashMessage(const QString&) override {}
    void FlashHide() override {}
    void FlashWait() override {}
    QPoint MousePosition() const override { return m_shown.MousePosition(); }
    QRect ScreenGeometry() const override { return m_shown.ScreenGeometry(); }

protected:
    // The walk as a whole runs under the busy cursor of the dialogs on show.
    void ShowBusyCursor(bool) override {}
    void ProcessPendingEvents() override {}

private:
    Dialogs& m_shown;
    QStringList m_texts;
};

/// Turns the tag writer's missing-file messages off for the walk and on again however it ends.
class MissingFilesQuiet {
public:
    explicit MissingFilesQuiet(SongTagWriter& writer) : m_writer(writer) {
        m_writer.SetReportMissingFiles(false);
    }
    ~MissingFilesQuiet() { m_writer.SetReportMissingFiles(true); }
    MissingFilesQuiet(const MissingFilesQuiet&) = delete;
    MissingFilesQuiet& operator=(const MissingFilesQuiet&) = delete;

private:
    SongTagWriter& m_writer;
};

/// One line: the reason's line breaks become blanks, and a reason that starts with the path
/// (as the tag writer's messages do) does not repeat it.
QString FailureLine(const QString& path, const QStringList& reasons) {
    QStringList parts;
    for (QString reason : reasons) {
        reason.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
        if (!path.isEmpty() && reason.startsWith(path)) {
            reason = reason.mid(path.size());
        }
        reason = reason.trimmed();
        if (!reason.isEmpty()) {
            parts << reason;
        }
    }
    return path + " - " + parts.join("; ");
}

}  // namespace

RewriteSummary RewriteSongTags(Library& library, RowSet& songs, const std::function<void(TSong&)>& change,
                               const RewriteProgress& progress, const RewriteStore& store) {
    RewriteSummary summary;
    summary.total = songs.RowCount();
    if ((!library.tagWriter && !store) || summary.total == 0) {
        return summary;
    }
    BusyScope busy;
    GatheringDialogs gathering(ActiveDialogs());
    {
        ScopedDialogs quiet(gathering);
        std::optional<MissingFilesQuiet> missing;
        if (library.tagWriter) {
            missing.emplace(*library.tagWriter);
        }
        std::set<QString> reported;
        for (songs.First(); !songs.Eof(); songs.Next()) {
            const int reached = songs.CurrentRow();
            if (progress && !progress(reached, summary.total)) {
                summary.notReached = summary.total - reached;
                break;
            }
            TSong song;
            library.songs.FillSongFromRow(songs, song);
            change(song);
            if (library.tagWriter) {
                QStringList reasons;
                bool written = false;
                try {
                    written = library.tagWriter->SaveSongTags(song);
                } catch (...) {
                    reasons << CurrentExceptionText();
                }
                // A save that returns false without a word wrote nothing on purpose (an untagged
                // type, a missing file, the user's choice); the writer explains every real failure.
                reasons << gathering.Take();
                if (reasons.isEmpty()) {
                    summary.written += written ? 1 : 0;
                } else if (reported.insert(song.FullPath).second) {
                    summary.failures << FailureLine(song.FullPath, reasons);
                }
            }
            if (store) {
                store(song);
                library.catalogue.CommitAndContinue();
            }
        }
    }
    const QString notice = RewriteNoticeText(summary);
    if (!notice.isEmpty()) {
        FlashMessage(notice);
    }
    const QString report = RewriteSummaryText(summary);
    if (!report.isEmpty()) {
        ShowInfo(report);
    }
    return summary;
}

QString RewriteNoticeText(const RewriteSummary& summary) {
    return summary.written > 0 ? "Tags saved to " + QString::number(summary.written) + " file(s)" : QString();
}

QString RewriteSummaryText(const RewriteSummary& summary) {
    QStringList lines;
    if (!summary.failures.isEmpty()) {
        // A box as tall as the screen would hide its OK button.
        constexpr int kListed = 25;
        lines << "Tags could not be updated in " + QString::number(summary.failures.size()) + " file(s):";
        lines << summary.failures.mid(0, kListed);
        if (summary.failures.size() > kListed) {
            lines << "... and " + QString::number(summary.failures.size() - kListed) + " more";
        }
    }
    if (summary.notReached > 0) {
        lines << "Tag update stopped, " + QString::number(summary.notReached) + " file(s) not updated";
    }
    return lines.join("\r\n");
}

}  // namespace sw
