// The songs grid: its columns, the text of each cell, and the warnings column with its fixes.
#include <QFile>
#include <algorithm>

#include "SongListController.h"
#include "SongListFields.h"
#include "core/Library.h"
#include "playback/AlbumSummary.h"

namespace sw {

namespace {

QString FieldText(const RowSet& rows, int row, int column) {
    const QVariant& value = rows.Value(row, column);
    return value.isValid() ? value.toString() : QString();
}

}  // namespace

void SongListController::ShowColumns() {
    m_columns = VisibleSongColumns(m_mode, m_hideMissing);
    std::vector<GridColumn> grid;
    const Fields& f = *m_fields;
    for (const SongColumn column : m_columns) {
        GridColumn each;
        each.caption = SongColumnCaption(column);
        each.widthChars = SongColumnWidthChars(column);
        int field = -1;
        switch (column) {
            case SongColumn::WhenPlayed:
                each.text = [this](int row) {
                    return WhenPlayedText(m_rows.Value(row, m_fields->ts).toDouble());
                };
                each.widestSample = "8888-88-88 88:88";
                break;
            case SongColumn::Duration:
                each.text = [this](int row) {
                    return DurationCellText(m_rows.Value(row, m_fields->duration));
                };
                each.widestSample = "888:88";
                each.alignment = Qt::AlignRight | Qt::AlignVCenter;
                break;
            case SongColumn::Wng:
                each.text = [this](int row) { return WarningAt(row); };
                each.widestSample = "?";
                each.alignment = Qt::AlignCenter;
                break;
            case SongColumn::Rating:
                each.text = [this](int row) { return RatingCellText(m_rows.Value(row, m_fields->rating)); };
                each.widestSample = "+4";
                each.alignment = Qt::AlignCenter;
                break;
            case SongColumn::Seq:
                field = f.seq;
                each.alignment = Qt::AlignRight | Qt::AlignVCenter;
                break;
            case SongColumn::Track:
                field = f.track;
                each.alignment = Qt::AlignRight | Qt::AlignVCenter;
                break;
            case SongColumn::Album:
                field = f.album;
                break;
            case SongColumn::Artist:
                field = f.artist;
                break;
            case SongColumn::Title:
                field = f.title;
                break;
            case SongColumn::Year:
                field = f.year;
                break;
            case SongColumn::Genre:
                field = f.genre;
                break;
            case SongColumn::Comment:
                field = f.comment;
                break;
        }
        if (field >= 0) {
            each.text = [this, field](int row) { return FieldText(m_rows, row, field); };
            // A list read on demand is fitted by its longest texts, not by reading every row.
            if (m_rows.ReadsOnDemand() && m_rows.RowCount() > 0) {
                each.widestSample = m_rows.LongestText(field);
                if (each.widestSample.isEmpty()) {
                    each.widestSample = " ";
                }
            }
        }
        grid.push_back(std::move(each));
    }
    m_model->Show(&m_rows, std::move(grid));
}

int SongListController::FieldOf(SongColumn column) const {
    const Fields& f = *m_fields;
    switch (column) {
        case SongColumn::WhenPlayed:
            return f.ts;
        case SongColumn::Seq:
            return f.seq;
        case SongColumn::Album:
            return f.album;
        case SongColumn::Track:
            return f.track;
        case SongColumn::Artist:
            return f.artist;
        case SongColumn::Title:
            return f.title;
        case SongColumn::Year:
            return f.year;
        case SongColumn::Duration:
            return f.duration;
        case SongColumn::Rating:
            return f.rating;
        case SongColumn::Genre:
            return f.genre;
        case SongColumn::Comment:
            return f.comment;
        case SongColumn::Wng:
            break;
    }
    return f.exi;
}

QString SongListController::CellText(int row, SongColumn column) const {
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i] == column) {
            return m_model->CellText(row, static_cast<int>(i));
        }
    }
    return {};
}

int SongListController::SongNumAt(int row) const {
    if (!m_queryOpen || row < 0 || row >= RowCount()) {
        return 0;
    }
    return m_rows.Value(row, m_fields->songNum).toInt();
}

int SongListController::SeqAt(int row) const {
    if (!m_queryOpen || row < 0 || row >= RowCount()) {
        return 0;
    }
    return m_rows.Value(row, m_fields->seq).toInt();
}

int SongListController::ExiAt(int row) const {
    if (!m_queryOpen || row < 0 || row >= RowCount()) {
        return 0;
    }
    return m_rows.Value(row, m_fields->exi).toInt();
}

QString SongListController::WarningAt(int row) const {
    if (!m_queryOpen || row < 0 || row >= RowCount()) {
        return {};
    }
    char& known = m_warnings[static_cast<std::size_t>(row)];
    if (known == 0) {
        known = 1;
        // An entry whose song is gone has no file to look for.
        if (m_rows.Value(row, m_fields->songNum).isValid()) {
            const QString path = m_library.songs.FullPathOf(FieldText(m_rows, row, m_fields->fn));
            const QString mark =
                SongWarning(!path.isEmpty() && QFile::exists(path), m_rows.Value(row, m_fields->exi).toInt());
            if (!mark.isEmpty()) {
                known = mark.at(0).toLatin1();
            }
        }
    }
    return known == 1 ? QString() : QString(QChar(known));
}

bool SongListController::ContinueWarningsScan(int rows) {
    const int end = std::min(RowCount(), m_scanNext + rows);
    for (; m_scanNext < end; ++m_scanNext) {
        const QString mark = WarningAt(m_scanNext);
        if (mark == "?") {
            m_questionWarnings = true;
        } else if (mark == "!") {
            m_bangWarnings = true;
        }
    }
    return WarningsScanPending();
}

void SongListController::FinishWarningsScan() {
    ContinueWarningsScan(RowCount());
}

bool SongListController::QuestionFixEnabled() {
    FinishWarningsScan();
    return m_questionWarnings;
}

bool SongListController::BangFixEnabled() {
    FinishWarningsScan();
    return m_bangWarnings;
}

bool SongListController::HideItemEnabled() {
    FinishWarningsScan();
    return m_bangWarnings || m_hideMissing;
}

}  // namespace sw
