#include "MainController.h"

#include <algorithm>

#include "core/CatalogueDisplay.h"
#include "core/ColumnWidths.h"
#include "core/CoreSession.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/QuietChange.h"
#include "foundation/Text.h"
#include "core/Playlists.h"

namespace sw {

namespace {

constexpr int kRandomSongCount = 20;
constexpr int kCascadeLeft = 0;
constexpr int kCascadeTop = 175;
constexpr int kCascadeStepRight = 80;
constexpr int kCascadeStepUp = 25;
/// Far enough back to reach any song ever loaded, short enough for the calendar.
constexpr int kMostRecentDays = 99999;

}  // namespace

QRect ArrangedMainFrame(const QRect& screen, QSize frame) {
    return QRect(QPoint(screen.right() + 1 - frame.width(), screen.top()), frame);
}

QRect ArrangedCascadeFrame(const QRect& screen, int index, QSize frame) {
    const int left = screen.left() + kCascadeLeft + index * kCascadeStepRight;
    const int top = screen.top() + kCascadeTop - index * kCascadeStepUp;
    // A window that starts beyond the screen's edge keeps one pixel rather than a negative size.
    const int width = std::max(1, std::min(frame.width(), screen.right() + 1 - left));
    const int height = std::max(1, std::min(frame.height(), screen.bottom() + 1 - top));
    return QRect(left, top, width, height);
}

MainController::MainController(CoreSession& session) : m_session(session) {}

void MainController::ShowLabels() {
    if (m_session.display) {
        m_session.display->ShowCatalogueLabels();
    }
}

void MainController::ShowNowPlaying() {
    if (m_hooks.showNowPlaying) {
        m_hooks.showNowPlaying();
    }
}

QString MainController::RandomCaption() const {
    return "Random  ( " + FilterDescription(m_session.settings.FILTER) + " )";
}

bool MainController::RandomAvailable() const {
    return m_hooks.pickRandomSongs && m_hooks.showPlaylistSongs;
}

void MainController::Random() {
    FlashMessage("Filter = " + QString::number(m_session.settings.FILTER));
    RandomSelection();
}

void MainController::RandomWithFilter(int filter) {
    m_session.settings.FILTER = filter;
    RandomSelection();
}

void MainController::RandomSelection() {
    if (!RandomAvailable()) {
        return;
    }
    {
        BusyScope busy;
        m_hooks.pickRandomSongs(kRandomSongCount, m_session.settings.FILTER);
    }
    m_hooks.showPlaylistSongs(kRandomPlaylistId);
}

void MainController::RecentAdditions(int days) {
    m_session.settings.DAYSRECENT = days;
    if (m_hooks.showRecentSongs) {
        m_hooks.showRecentSongs();
    }
}

void MainController::RecentAdditionsAsked() {
    int days = m_session.settings.DAYSRECENT;
    if (!InputInteger("\"Recent\" = How many days ?", days)) {
        return;
    }
    // Counting back further than the calendar goes would take the list's start date out of it.
    if (days < 0 || days > kMostRecentDays) {
        ShowInfo("Out of range");
        return;
    }
    RecentAdditions(days);
}

void MainController::LastLoaded() {
    m_session.settings.FILTER = 99;
    if (m_hooks.showLastLoaded) {
        m_hooks.showLastLoaded();
    }
}

void MainController::Load() {
    if (!RefuseIfReadOnly(m_session.settings.READONLY) && m_hooks.showLoadWindow) {
        m_hooks.showLoadWindow();
    }
}

void MainController::HealthCheck() {
    if (!m_hooks.openHealthCheck) {
        return;
    }
    m_hooks.openHealthCheck();
    // At catalogue version 9 the check raises the version.
    if (m_session.display) {
        m_session.display->ShowCatalogueVersion();
    }
}

void MainController::Statistics() {
    if (m_hooks.showStatistics && m_hooks.showStatistics() && m_session.display) {
        m_session.display->ShowJukeboxSize();
    }
}

void MainController::RootFolderCommand() {
    Settings& settings = m_session.settings;
    if (!Confirm("Root path for MP3/OGG files = " + QuoteDouble(settings.Root) + " - change?") ||
        !m_hooks.selectFolder) {
        return;
    }
    QString folder = settings.Root;
    if (!m_hooks.selectFolder(folder) || folder.isEmpty()) {
        return;
    }
    // The folder is kept as the file system spells it: file names are case-sensitive here.
    AddTrailingBackslash(folder);
    settings.Root = folder;
    ShowLabels();
}

bool MainController::AllowChanges() {
    return Confirm("Allow changes to this database ?") &&
           Confirm("Are you sure that this database has not already been changed elsewhere ?");
}

void MainController::ReadOnlySwitched(bool readOnly) {
    m_session.settings.READONLY = readOnly;
    SaveSettings(m_session);
    ShowLabels();
}

bool MainController::ReadOnlyChosen(bool checked) {
    const bool confirmed =
        m_session.settings.READONLY ? AllowChanges() : ConfirmOK("Block changes to this database");
    if (confirmed) {
        ReadOnlySwitched(checked);
    }
    return m_session.settings.READONLY;
}

void MainController::ReadOnlyNoticeClicked() {
    if (AllowChanges()) {
        ReadOnlySwitched(false);
    }
}

void MainController::RenameCatalogue() {
    Catalogue& catalogue = m_session.catalogue;
    QString name = catalogue.CatalogueName();
    // A longer name would not fit the column: the box takes no more.
    if (!InputTextLimited("Database name", name, kCatalogueNameWidth)) {
        return;
    }
    catalogue.RenameCatalogue(FitToColumn(name, kCatalogueNameWidth));
    ShowLabels();
}

bool MainController::UseDefaultTagPolicy() {
    if (TakeQuietChange()) {
        return false;
    }
    Settings& settings = m_session.settings;
    settings.MP3TAGPOLICY = 2;
    settings.MP3TAGREADPREFV1V2 = 2;
    settings.OGGTAG = true;
    settings.SQUEEZERATING = false;
    return true;
}

bool MainController::ReadPreferenceChosen(bool v1Checked) {
    m_session.settings.MP3TAGREADPREFV1V2 = v1Checked ? 1 : 2;
    return true;
}

bool MainController::WritePolicyChosen(int policy) {
    if (TakeQuietChange()) {
        return false;
    }
    m_session.settings.MP3TAGPOLICY = policy;
    return true;
}

bool MainController::OggTagChosen(bool checked) {
    m_session.settings.OGGTAG = checked;
    return true;
}

bool MainController::SqueezeRatingChosen(bool checked) {
    m_session.settings.SQUEEZERATING = checked;
    if (checked) {
        ShowInfo("Rating will be stored in ID3v2 \"Encoder\" field on MP3 and in \"Vendor\" field on OGG");
    }
    return true;
}

QString MainController::RereadQuestion(bool Settings::*setting) {
    if (setting == &Settings::UNICODETAGS) {
        return "Re-read the tags of the songs whose Unicode tags were ignored when they were loaded?\n"
               "(ratings, play history and playlists stay as they are)";
    }
    return "Load the FLAC and Opus files that lie in the folders of the catalogue's songs?";
}

bool MainController::TagSwitchChosen(bool Settings::*setting, bool checked, const TagRereadProgress& progress) {
    Settings& settings = m_session.settings;
    settings.*setting = checked;
    // Nothing to catch up with after switching off, nor in a catalogue that may not change.
    if (!checked || !m_hooks.rereadTags || settings.READONLY || !Confirm(RereadQuestion(setting))) {
        return true;
    }
    TagRereadRequest request;
    request.unicodeTags = setting == &Settings::UNICODETAGS;
    request.flacOpus = setting == &Settings::FLACOPUS;
    const TagRereadCounts counts = m_hooks.rereadTags(request, progress);
    if (request.unicodeTags || counts.failed > 0) {
        ShowInfo(TagRereadSummary(counts));
    }
    return true;
}

void MainController::Devices() {
    if (!m_hooks.masterDeviceName || !m_hooks.reseekDevices) {
        return;
    }
    if (Confirm("Sound output device = " + m_hooks.masterDeviceName() + "\nReseek devices ?")) {
        m_hooks.reseekDevices();
    }
}

void MainController::Arrange() {
    if (!ConfirmOK("Arrange windows") || !m_hooks.arrangeWindows) {
        return;
    }
    m_hooks.arrangeWindows();
    if (ConfirmOK("Now close these windows")) {
        CloseAll();
    }
}

void MainController::CloseAll() {
    if (m_hooks.closeManagedWindows) {
        m_hooks.closeManagedWindows();
    }
}

void MainController::Notepad() {
    if (m_hooks.openNotepad) {
        m_hooks.openNotepad(m_session.settings.READONLY);
    }
}

void MainController::OptionChosen(const OptionEntry& option, bool checked) {
    m_session.settings.*option.setting = checked;
    if (m_hooks.optionSwitched) {
        m_hooks.optionSwitched(option.setting, checked);
    }
}

bool MainController::OptionChecked(const OptionEntry& option) const {
    return m_session.settings.*option.setting;
}

void MainController::LoudnessModeChosen(int mode) {
    m_session.settings.LOUDNESS = mode;
}

bool MainController::LoudnessModeChecked(int mode) const {
    return m_session.settings.LOUDNESS == mode;
}

QString MainController::PreampCaption() const {
    return "Pre-amp (dB) = " + QString::number(m_session.settings.PREAMP);
}

void MainController::PreampAsked() {
    int& preamp = m_session.settings.PREAMP;
    // The box starts with the value as it stands, 0 and cuts included (InputInteger would show
    // those as an empty box, which reads as 0).
    QString text = QString::number(preamp);
    int answer = 0;
    if (!InputText("Pre-amp in dB (-15 to +15)", text) || !ParseIntOrWarn(text.trimmed(), answer)) {
        return;
    }
    if (answer < kPreampMin || answer > kPreampMax) {
        ShowInfo("The pre-amp must be from -15 to +15 dB; it stays at " + QString::number(preamp) + " dB");
        return;
    }
    preamp = answer;
}

QString MainController::FlashIntervalCaption() const {
    return "Flash interval (ms) = " + QString::number(ActiveDialogs().FlashInterval());
}

void MainController::LastFlashMessage() {
    ShowInfo(ActiveDialogs().LastFlashText());
}

void MainController::FlashInterval() {
    SetFlashInterval();
}

void MainController::FlashTest() {
    FlashMessage("Flash messages require no action");
}

bool MainController::EscapePressed() {
    return Confirm("OK to exit program?");
}

}  // namespace sw
