#include "ConverterController.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

#include "LegacyCatalogue.h"
#include "NotepadCopy.h"
#include "StopSignals.h"
#include "core/IniFile.h"
#include "core/CatalogueCreation.h"
#include "core/ColumnWidths.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

// True when the catalogue has no songs, albums, playlists, plays or day notes: nothing a user made.
bool HoldsNothingOfTheUsers(Catalogue& catalogue) {
    for (const char* table : {"SONG", "ALBUM", "PLIST", "SONGINPL", "HISTORY", "DAYNOTE"}) {
        const RowSet exists = catalogue.Select(
            QString("select count(*) as ct from rdb$relations where rdb$relation_name = '%1'").arg(table));
        if (QueryFieldInt(exists, "ct") == 0) {
            continue;
        }
        const RowSet rows = catalogue.Select(QString("select count(*) as ct from %1").arg(table));
        if (QueryFieldInt(rows, "ct") > 0) {
            return false;
        }
    }
    return true;
}

/// The layout version the converter fills; the jukebox raises it at its next start.
constexpr int kTargetCatalogueVersion = 1;

QString Counted(qint64 count, const QString& thing) {
    return QString("%1 %2%3").arg(count).arg(thing, count == 1 ? "" : "s");
}

/// The last log line of a conversion that ran to its end.
QString EndMessage(const ConversionTally& tally) {
    if (tally.warnings == 0 && tally.rowsNotConverted == 0) {
        return "All files converted OK";
    }
    const QString warnings = Counted(tally.warnings, "warning");
    return tally.rowsNotConverted == 0
               ? "Conversion finished with " + warnings + "; every row was converted"
               : "Conversion finished with " + warnings + "; " + Counted(tally.rowsNotConverted, "row") +
                     " not converted";
}

/// A folder without its trailing "/" and with "/" for "\", for comparisons.
QString Unslashed(QString folder) {
    folder.replace('\\', '/');
    while (folder.size() > 1 && folder.endsWith('/')) {
        folder.chop(1);
    }
    return folder;
}

}  // namespace

ConverterController::ConverterController(const QString& converterFolder)
    : m_target(MakeProgramPaths(converterFolder)) {}

ConverterController::~ConverterController() {
    try {
        CloseDatabases();
    } catch (...) {
        // Closing commits nothing of a conversion (it commits or rolls back itself); a failure to
        // detach cannot be reported from here.
    }
}

void ConverterController::Changed() {
    if (m_display) {
        m_display->LabelsChanged();
    }
}

void ConverterController::ShowStatus(const QString& text) {
    m_status = text.isEmpty() ? QString() : " " + text;
    if (m_display) {
        m_display->StatusChanged();
        m_display->PumpEvents();
    }
}

void ConverterController::Log(const QString& line) {
    m_log << line;
    if (m_display) {
        m_display->LineLogged(line);
    }
}

QString ConverterController::TargetVersionText() const {
    return QString::number(m_catalogue.IsOpen() ? m_catalogue.CatalogueVersion() : kTargetCatalogueVersion);
}

void ConverterController::CloseDatabases() {
    m_legacy.reset();
    try {
        m_catalogue.CloseCatalogue();
    } catch (const std::exception& error) {
        // Whatever was not committed is undone by the engine; closing has nothing left to lose.
        Log(QString("The catalogue could not be closed: ") + error.what());
    }
}

void ConverterController::CatchStopSignals() {
    m_catchSignals = true;
    sw::CatchStopSignals();
}

bool ConverterController::AbortRequested() {
    return m_abortRequested || (m_catchSignals && StopSignal() != 0);
}

bool ConverterController::SkipBadRow(const QString& fileName, int row, const QString& reason) {
    switch (m_badRows) {
        case BadRows::Skip:
            return true;
        case BadRows::Stop:
            return false;
        case BadRows::Ask:
            break;
    }
    if (!m_skipEveryBadRow) {
        m_skipEveryBadRow =
            Confirm(QString("Row %1 of \"%2\" cannot be converted (%3). Leave it out, and every other row "
                            "that cannot be converted, and go on?")
                        .arg(row)
                        .arg(fileName, reason));
    }
    return m_skipEveryBadRow;
}

bool ConverterController::AskWhereTheMusicIs(FolderMap& folders) {
    const QString oldRoot = m_settings.Root;
    if (!IsAbsoluteStoredPath(oldRoot)) {
        return true;
    }
    // The jukebox's own music root, when it has one already, is the likely answer.
    QString fallback = IniFile(m_target.settingsFile).ReadString("main", "Root", QString());
    if (fallback.isEmpty()) {
        fallback = oldRoot;
    }
    QString answer = fallback;
    for (;;) {
        if (!InputText("The music folder of the old catalogue was " + oldRoot + ". Where is it now?", answer)) {
            return false;
        }
        answer = answer.trimmed();
        if (answer.isEmpty() || Unslashed(answer).compare(Unslashed(oldRoot), Qt::CaseInsensitive) == 0) {
            return true;
        }
        if (answer.startsWith('/')) {
            folders.Add(oldRoot, answer);
            return true;
        }
        ShowInfo("Give the folder as a full path, starting with \"/\"");
        answer = fallback;
    }
}

void ConverterController::ChooseLegacyFolder() {
    if (m_state == ConverterState::Running) {
        ShowInfo("Conversion already in progress");
        return;
    }
    QString folder = m_lastChoice.isEmpty() ? QString("/") : m_lastChoice;
    if (!folder.startsWith('/') || !m_chooseFolder || !m_chooseFolder(folder)) {
        return;
    }
    AcceptLegacyFolder(folder);
}

bool ConverterController::AcceptLegacyFolder(const QString& folder) {
    if (m_state == ConverterState::Running) {
        ShowInfo("Conversion already in progress");
        return false;
    }
    m_legacyFolder = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    AddTrailingBackslash(m_legacyFolder);
    m_lastChoice = m_legacyFolder;
    m_legacyDataFolder.clear();
    m_settingsShown = false;
    m_convertEnabled = false;
    m_state = ConverterState::Idle;
    CloseDatabases();
    Changed();
    if (!QFileInfo(ExistingSpelling(m_legacyFolder + "sonwick.exe")).isFile()) {
        ShowInfo("Selected folder is not a Sonwick folder : SONWICK.EXE not found");
        return false;
    }
    m_legacyDataFolder = ExistingSpelling(m_legacyFolder + "DATA");
    AddTrailingBackslash(m_legacyDataFolder);
    m_settings = ReadLegacySettings(ExistingSpelling(m_legacyDataFolder + "SONWICK.INI"));
    m_settingsShown = true;
    Changed();
    if (m_settings.DBvn != kLegacyCatalogueVersion) {
        ShowInfo("Incorrect database version number " + QString::number(m_settings.DBvn));
        m_endRequested = true;
        if (m_display) {
            m_display->EndProgram();
        }
        return false;
    }
    m_legacy = std::make_unique<LegacyCatalogue>(m_legacyDataFolder);
    m_target = MakeProgramPaths(m_target.programFolder);
    OpenTargetCatalogue();
    Changed();
    // Filling a catalogue that the jukebox has already raised would leave its later tables (the play
    // history, day notes) pointing at songs that are no longer there.
    if (m_catalogue.CatalogueVersion() != kTargetCatalogueVersion) {
        ShowInfo("Target database version is " + QString::number(m_catalogue.CatalogueVersion()) +
                 ": conversion needs a new database at version 1");
        return false;
    }
    m_state = ConverterState::Ready;
    m_convertEnabled = true;
    Changed();
    return true;
}

void ConverterController::OpenTargetCatalogue() {
    const QString& file = m_target.catalogueFile;
    if (!QFileInfo::exists(file)) {
        CreateNewCatalogue(m_target.dataFolder, "My songs", NewCatalogueLayout::VersionOne);
        Log("New catalogue " + file + " created at version 1");
    }
    m_catalogue.Open(file);
    if (m_catchSignals) {
        sw::CatchStopSignals();
    }
    m_catalogue.ReadParams();
    // A new user may have started the jukebox before converting, which raised the new catalogue; as
    // long as it holds nothing of the user's it is made anew at version 1.
    if (m_catalogue.CatalogueVersion() == kTargetCatalogueVersion || !HoldsNothingOfTheUsers(m_catalogue)) {
        return;
    }
    m_catalogue.CloseCatalogue();
    if (!QFile::remove(file)) {
        throw std::runtime_error(("Cannot remove the empty catalogue " + file).toStdString());
    }
    CreateNewCatalogue(m_target.dataFolder, "My songs", NewCatalogueLayout::VersionOne);
    Log("Empty catalogue " + file + " made anew at version 1");
    m_catalogue.Open(file);
    if (m_catchSignals) {
        sw::CatchStopSignals();
    }
    m_catalogue.ReadParams();
}

void ConverterController::EndAborted() {
    m_state = ConverterState::Aborted;
    ShowStatus(QString());
    if (m_catchSignals && StopSignal() != 0) {
        Log("Stopped by " + SignalName(StopSignal()));
    }
    Log("Conversion aborted");
    Log("The catalogue was left as it was: nothing was converted");
    Changed();
}

bool ConverterController::Convert() {
    if (!m_convertEnabled || !Confirm("OK to start conversion ?")) {
        return false;
    }
    FolderMap folders = m_folderMap;
    if (!m_folderMapGiven && !AskWhereTheMusicIs(folders)) {
        return false;
    }
    m_convertEnabled = false;
    m_state = ConverterState::Running;
    m_abortRequested = false;
    m_skipEveryBadRow = false;
    Changed();
    for (const FolderMap::Mapping& mapping : folders.Mappings()) {
        Log("Folder " + mapping.from + " is now " + (mapping.to.isEmpty() ? QString("/") : mapping.to));
    }
    ConversionTally tally;
    bool finished = false;
    try {
        // The name is part of the conversion's one transaction, so that an abort leaves it too.
        m_catalogue.CommitAndContinue();
        m_catalogue.ExecSql(
            "update params set pmval2 = " + SqlQuote(FitToColumn(m_settings.DBName, kCatalogueNameWidth)) +
            " where pmname = 'DBNAME'");
        finished = ConvertTables(*m_legacy, m_catalogue, *this, folders, tally);
        if (finished) {
            m_catalogue.CommitAndContinue();
        } else {
            m_catalogue.Rollback();
        }
    } catch (...) {
        try {
            m_catalogue.Rollback();
        } catch (...) {
            // The first error is the one to report; the engine undoes what was not committed.
        }
        EndAborted();
        throw;
    }
    if (!finished) {
        EndAborted();
        return false;
    }
    m_state = ConverterState::Finished;
    Changed();
    LegacySettings carried = m_settings;
    if (const auto root = folders.Apply(carried.Root)) {
        Log("Root " + carried.Root + " becomes " + *root);
        carried.Root = *root;
    }
    WriteTargetSettings(carried, m_target.settingsFile);
    Log("SONWICK.INI copied to SONWICK3.INI");
    const QString notepad = CopyNotepad(m_legacyFolder, m_target.programFolder);
    if (!notepad.isEmpty()) {
        Log(notepad);
    }
    Log(EndMessage(tally));
    return true;
}

bool ConverterController::CloseRequest() {
    if (m_state == ConverterState::Running) {
        if (Confirm("Conversion in progress, OK to abort?")) {
            m_abortRequested = true;
        }
        return false;
    }
    CloseDatabases();
    return true;
}

bool ConverterController::ConfirmExit() {
    return Confirm("OK to exit program?");
}

}  // namespace sw
