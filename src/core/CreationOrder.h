#pragma once

#include <QString>
#include <array>
#include <functional>
#include <map>

namespace sw {

/// The program's windows (and the catalogue, which has none) in the order they are created.
enum class StartupWindow {
    MainWindow,
    Days,
    Utility,
    About,
    SongDetails,
    Notepad,
    Choice,
    AlbumDetails,
    BeatsPerMinute,
    NewAlbumGroup,
    ArtistDetails,
    Preview,
    Flash,
    Songs,
    Load,
    EditSongDetails,
    Catalogue,
    Genres,
    GenreDetails,
    Playlists,
    Albums,
    AssignDetails,
    Artists,
    Search,
    DatabaseCheck,
    SelectFolder,
    InputText,
    NowPlaying,
};

struct CreationStep {
    StartupWindow window;
    const char* trace;  ///< shown by the start-up trace before the step; empty for none
};

/// The one creation order of sonwick3. The catalogue comes after every window its start-up fills
/// and before the now-playing queue, whose sound set-up reads the settings.
inline constexpr std::array<CreationStep, 28> kCreationOrder{{
    {StartupWindow::MainWindow, "create fctrl2"},
    {StartupWindow::Days, ""},
    {StartupWindow::Utility, "create form3"},
    {StartupWindow::About, "create fabout1"},
    {StartupWindow::SongDetails, "create fsongdets"},
    {StartupWindow::Notepad, "create fnotepad"},
    {StartupWindow::Choice, "create fchoice"},
    {StartupWindow::AlbumDetails, "create faldets"},
    {StartupWindow::BeatsPerMinute, "create fbpm"},
    {StartupWindow::NewAlbumGroup, "create falgrp"},
    {StartupWindow::ArtistDetails, "create fardets"},
    {StartupWindow::Preview, "create fpreview"},
    {StartupWindow::Flash, "create fflash"},
    {StartupWindow::Songs, "create fsongs"},
    {StartupWindow::Load, "create fload"},
    {StartupWindow::EditSongDetails, "create ftag2"},
    {StartupWindow::Catalogue, "create fcore"},
    {StartupWindow::Genres, "create fgenres"},
    {StartupWindow::GenreDetails, "create fgenre"},
    {StartupWindow::Playlists, "create fplists"},
    {StartupWindow::Albums, "create falbums"},
    {StartupWindow::AssignDetails, "create falbum"},
    {StartupWindow::Artists, "create fartists"},
    {StartupWindow::Search, "create fsearch"},
    {StartupWindow::DatabaseCheck, "create fdbchk"},
    {StartupWindow::SelectFolder, "create fselfolder"},
    {StartupWindow::InputText, "create finpstr"},
    {StartupWindow::NowPlaying, "create fbassint"},
}};

/// A window's creation step; returning false ends the start-up (a second instance).
using CreationFunction = std::function<bool()>;
using CreationSteps = std::map<StartupWindow, CreationFunction>;

/// Runs the given steps in the creation order, each after its trace text; windows without a step are
/// skipped. An error inside a step is shown with its own text and start-up goes on with the next.
/// Returns false when a step ended the start-up.
bool RunCreationOrder(const CreationSteps& steps);

/// The text of an escaped error, as the error box shows it.
QString ErrorText(const std::exception& error);
/// Shows the current exception (called inside a catch block) in the error box.
void ShowCurrentException();

}  // namespace sw
