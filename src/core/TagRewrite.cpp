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
#include "foundation/GatheringDialogs.h"

namespace sw {

namespace {

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
