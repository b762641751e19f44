#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "Conversion.h"
#include "FolderMap.h"
#include "LegacySettings.h"
#include "core/Catalogue.h"
#include "core/Paths.h"

namespace sw {

class LegacyCatalogue;

/// Where the converter's window shows what the controller does.
class ConverterDisplay {
public:
    virtual ~ConverterDisplay() = default;
    /// The source or target labels, or whether "Convert" is enabled, changed.
    virtual void LabelsChanged() = 0;
    virtual void LineLogged(const QString& line) = 0;
    virtual void StatusChanged() = 0;
    /// Lets pending events run so that the window is drawn and a close request gets through during
    /// a conversion. Called after every status change; the window may skip calls that come too fast.
    virtual void PumpEvents() = 0;
    /// The converter is to end at once.
    virtual void EndProgram() = 0;
};

enum class ConverterState { Idle, Ready, Running, Finished, Aborted };

/// What happens to a legacy row the target catalogue refuses (a duplicate album number, a song
/// without a number): the user is asked (skipping it then skips every later one too), it is left
/// out and reported, or the conversion stops there and is undone.
enum class BadRows { Ask, Skip, Stop };

/// The converter's state and commands, free of widgets: choosing the previous edition's folder,
/// the conversion with its log and status strip, and the rules for closing while it runs.
/// Messages and questions go through the installed dialogs.
class ConverterController : private ConversionObserver {
public:
    /// `converterFolder` is the converter's own program folder: the target catalogue, settings and
    /// notepad text are found from it. No database is opened yet.
    explicit ConverterController(const QString& converterFolder);
    ~ConverterController() override;

    void SetDisplay(ConverterDisplay* display) { m_display = display; }
    /// The folder selection dialog: `folder` in (where to start) and out; false on Cancel.
    void SetFolderChooser(std::function<bool(QString& folder)> chooser) {
        m_chooseFolder = std::move(chooser);
    }

    void SetBadRows(BadRows policy) { m_badRows = policy; }
    /// Where the old folders live now, as the command line gives it: the conversion then does not
    /// ask where the old music root is.
    void SetFolderMap(FolderMap folders) {
        m_folderMap = std::move(folders);
        m_folderMapGiven = true;
    }
    /// From now on SIGINT and SIGTERM stop a running conversion (undone, as an abort is) instead
    /// of ending the program; the handlers are put back after each catalogue opens, since the
    /// database client installs its own.
    void CatchStopSignals();

    /// A click on a source label: the folder selection, then AcceptLegacyFolder.
    void ChooseLegacyFolder();
    /// Takes `folder` (made absolute) as the previous edition's folder: checks it, reads its settings, opens its
    /// tables and the target catalogue, and enables "Convert". False when refused.
    bool AcceptLegacyFolder(const QString& folder);
    /// The "Convert" command: asks where the old music root lives now (unless a folder map was
    /// given), then converts in one transaction, committed only at the end. True when the
    /// conversion ran to its end.
    bool Convert();
    /// The window is asked to close: true when it may (both databases are then closed). While a
    /// conversion runs, asks whether to abort it and keeps the window open.
    bool CloseRequest();
    /// Escape in the main window: true when the user agrees to end the program.
    bool ConfirmExit();

    ConverterState State() const { return m_state; }
    bool ConvertEnabled() const { return m_convertEnabled; }
    bool EndRequested() const { return m_endRequested; }
    const ProgramPaths& Target() const { return m_target; }
    const QString& LegacyFolder() const { return m_legacyFolder; }
    const QString& LegacyDataFolder() const { return m_legacyDataFolder; }
    /// The legacy settings read at the last folder choice (defaults before one).
    const LegacySettings& Legacy() const { return m_settings; }
    bool LegacySettingsShown() const { return m_settingsShown; }
    /// The target catalogue's version as the window shows it.
    QString TargetVersionText() const;
    const QStringList& LogLines() const { return m_log; }
    /// The status strip's text (a blank in front of the text given to ShowStatus), empty when none.
    const QString& StatusText() const { return m_status; }

    void ShowStatus(const QString& text) override;
    void Log(const QString& line) override;

private:
    bool AbortRequested() override;
    bool SkipBadRow(const QString& fileName, int row, const QString& reason) override;
    /// The question for the old music root's new place; false on Cancel.
    bool AskWhereTheMusicIs(FolderMap& folders);
    /// The log's end of a conversion that was undone.
    void EndAborted();
    /// Opens the program folder's catalogue, creating it at version 1 when it is missing, or making
    /// it anew at version 1 when a raised catalogue holds nothing of the user's. Throws on errors.
    void OpenTargetCatalogue();
    void CloseDatabases();
    void Changed();

    ProgramPaths m_target;
    ConverterDisplay* m_display = nullptr;
    std::function<bool(QString&)> m_chooseFolder;
    ConverterState m_state = ConverterState::Idle;
    bool m_convertEnabled = false;
    bool m_abortRequested = false;
    bool m_endRequested = false;
    bool m_settingsShown = false;
    BadRows m_badRows = BadRows::Ask;
    bool m_skipEveryBadRow = false;
    FolderMap m_folderMap;
    bool m_folderMapGiven = false;
    bool m_catchSignals = false;
    QString m_legacyFolder;
    QString m_legacyDataFolder;
    QString m_lastChoice;
    LegacySettings m_settings;
    std::unique_ptr<LegacyCatalogue> m_legacy;
    Catalogue m_catalogue;
    QStringList m_log;
    QString m_status;
};

}  // namespace sw
