#include "ConverterController.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>

#include "LegacyCatalogue.h"
#include "NotepadCopy.h"
#include "core/CatalogueCreation.h"
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
constexpr int kNameWidth = 80;

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
    m_catalogue.CloseCatalogue();
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
    m_legacyFolder = folder;
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
    m_catalogue.ReadParams();
}

bool ConverterController::Convert() {
    if (!m_convertEnabled || !Confirm("OK to start conversion ?")) {
        return false;
    }
    m_convertEnabled = false;
    m_state = ConverterState::Running;
    m_abortRequested = false;
    Changed();
    bool finished = false;
    try {
        m_catalogue.CommitAndContinue();
        m_catalogue.ExecSqlCommit(
            "update params set pmval2 = " + SqlQuote(LeftChars(m_settings.DBName, kNameWidth)) +
            " where pmname = 'DBNAME'");
        finished = ConvertTables(*m_legacy, m_catalogue, *this);
        if (finished) {
            m_catalogue.CommitAndContinue();
        } else {
            m_catalogue.Rollback();
        }
    } catch (...) {
        try {
            m_catalogue.Rollback();
        } catch (...) {
            // The first error is the one to report.
        }
        m_state = ConverterState::Aborted;
        ShowStatus(QString());
        Log("Conversion aborted");
        Changed();
        throw;
    }
    if (!finished) {
        m_state = ConverterState::Aborted;
        ShowStatus(QString());
        Log("Conversion aborted");
        Changed();
        return false;
    }
    m_state = ConverterState::Finished;
    Changed();
    WriteTargetSettings(m_settings, m_target.settingsFile);
    Log("SONWICK.INI copied to SONWICK3.INI");
    const QString notepad = CopyNotepad(m_legacyFolder, m_target.programFolder);
    if (!notepad.isEmpty()) {
        Log(notepad);
    }
    Log("All files converted OK");
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
