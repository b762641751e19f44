#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <vector>

#include "core/IniFile.h"
#include "foundation/ScriptedDialogs.h"
#include "windows/main/Placements.h"

namespace sw {
namespace {

class PlacementMemory : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* id : kManagedWindowIds) {
            m_windows.push_back(std::make_unique<QWidget>());
            m_windows.back()->setGeometry(10, 20, 300, 200);
            m_placements.Register(id, m_windows.back().get());
        }
    }

    QString SettingsFile() const { return m_dir.filePath("SONWICK3.INI"); }

    QTemporaryDir m_dir;
    Placements m_placements;
    std::vector<std::unique_ptr<QWidget>> m_windows;
};

TEST_F(PlacementMemory, NoFormsSectionLeavesWindowsThenOneRunWritesFortyFourKeys) {
    m_placements.RestorePlacements(SettingsFile());
    EXPECT_EQ(m_windows[3]->geometry(), QRect(10, 20, 300, 200));

    m_windows[6]->move(40, 50);
    m_windows[6]->resize(640, 480);
    m_placements.SavePlacements(SettingsFile());
    IniFile file(SettingsFile());
    int keys = 0;
    for (const char* id : kManagedWindowIds) {
        for (const char* suffix : {"-TOP", "-LEFT", "-HEIGHT", "-WIDTH"}) {
            keys += file.HasKey("forms", QString(id) + suffix) ? 1 : 0;
        }
    }
    EXPECT_EQ(keys, 44);
    EXPECT_EQ(file.ReadInteger("forms", "FSongs-LEFT", -1), 40);
    EXPECT_EQ(file.ReadInteger("forms", "FSongs-WIDTH", -1), 640);
}

TEST_F(PlacementMemory, NegativeKeysLeaveThatPropertyAlone) {
    IniFile file(SettingsFile());
    file.WriteInteger("forms", "FSongs-TOP", 70);
    file.WriteInteger("forms", "FSongs-LEFT", -1);
    file.WriteInteger("forms", "FSongs-WIDTH", 500);
    file.Save();
    m_placements.RestorePlacements(SettingsFile());
    EXPECT_EQ(m_windows[6]->pos(), QPoint(10, 70));
    EXPECT_EQ(m_windows[6]->size(), QSize(500, 200));
}

TEST_F(PlacementMemory, CloseAllKeepsTheQueueOpenWhilePlaying) {
    bool playing = true;
    m_placements.SetPlayingQuery([&] { return playing; });
    for (auto& window : m_windows) {
        window->show();
    }
    m_placements.CloseManagedWindows();
    EXPECT_TRUE(m_windows[0]->isVisible());  // main window
    EXPECT_TRUE(m_windows[7]->isVisible());  // now-playing queue
    EXPECT_FALSE(m_windows[6]->isVisible());
    playing = false;
    m_placements.CloseManagedWindows();
    EXPECT_TRUE(m_windows[0]->isVisible());
    EXPECT_FALSE(m_windows[7]->isVisible());
}

TEST_F(PlacementMemory, NothingIsWrittenWithoutADataFolder) {
    m_placements.SavePlacements(m_dir.filePath("missing/SONWICK3.INI"));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("missing")));
}


// The screens are given, so that the test does not depend on the platform's own.
class PlacementOnScreens : public PlacementMemory {
protected:
    void SetUp() override {
        PlacementMemory::SetUp();
        m_placements.SetScreens([this] { return m_screens; });
    }

    void Save(const QString& id, QRect place) {
        IniFile file(SettingsFile());
        file.WriteInteger("forms", id + "-TOP", place.top());
        file.WriteInteger("forms", id + "-LEFT", place.left());
        file.WriteInteger("forms", id + "-HEIGHT", place.height());
        file.WriteInteger("forms", id + "-WIDTH", place.width());
        file.Save();
    }

    QWidget& Main() { return *m_windows[0]; }
    QWidget& Songs() { return *m_windows[6]; }
    QWidget& Queue() { return *m_windows[7]; }

    std::vector<QRect> m_screens{QRect(0, 0, 1280, 800)};
};

TEST_F(PlacementOnScreens, SavedPlacesOffTheScreenComeBackWhole) {
    Save("fctrl2", QRect(5000, 100, 500, 150));
    Save("FSongs", QRect(900, 700, 2000, 600));
    Save("FAlbums", QRect(200, 100, 400, 300));
    m_placements.RestorePlacements(SettingsFile());
    EXPECT_EQ(Main().geometry(), QRect(780, 100, 500, 150));
    EXPECT_EQ(Songs().geometry(), QRect(0, 200, 1280, 600));
    EXPECT_EQ(m_windows[1]->geometry(), QRect(200, 100, 400, 300));
}

TEST_F(PlacementOnScreens, PlacesOnAMonitorThatIsThereStay) {
    m_screens.push_back(QRect(1280, 0, 1920, 1080));
    Save("FSongs", QRect(2000, 300, 900, 600));
    m_placements.RestorePlacements(SettingsFile());
    EXPECT_EQ(Songs().geometry(), QRect(2000, 300, 900, 600));
    m_screens.pop_back();
    m_placements.RestorePlacements(SettingsFile());
    EXPECT_EQ(Songs().geometry(), QRect(380, 200, 900, 600));
}

TEST_F(PlacementOnScreens, WindowsWithoutASavedPlaceCascadeBesideTheMainWindowAtTheirFirstShowing) {
    Save("fctrl2", QRect(100, 0, 500, 150));
    Save("FAlbums", QRect(600, 400, 400, 300));
    m_placements.RestorePlacements(SettingsFile());
    Main().show();
    m_windows[1]->show();
    EXPECT_EQ(m_windows[1]->pos(), QPoint(600, 400)) << "a saved place is kept";
    // Frames: the platform may draw a border around each window.
    const QRect main = Main().frameGeometry();
    Songs().show();
    EXPECT_EQ(Songs().pos(), QPoint(main.left(), main.bottom() + 1));
    EXPECT_EQ(Songs().size(), QSize(300, 200));
    Queue().show();
    EXPECT_EQ(Queue().pos(), Songs().pos() + QPoint(32, 32));
    // Only the first showing places the window: one moved by the user stays where he put it.
    Songs().hide();
    Songs().move(700, 500);
    Songs().show();
    EXPECT_EQ(Songs().pos(), QPoint(700, 500));
}

TEST_F(PlacementOnScreens, APlaceSavedOnTheMainWindowsCornerIsTakenAsNoPlace) {
    Save("fctrl2", QRect(0, 0, 500, 150));
    Save("FSongs", QRect(0, 0, 300, 200));
    Save("FBassint", QRect(0, 0, 300, 200));
    Queue().show();
    m_placements.RestorePlacements(SettingsFile());
    Main().show();
    Songs().show();
    // On show already, the queue was placed at once; the songs window at its showing.
    EXPECT_NE(Queue().pos(), QPoint(0, 0));
    // Placed before the main window was on show, it is off the main window's saved place (the
    // platform's border around the main window is not known yet then).
    EXPECT_GE(Queue().y(), 150);
    EXPECT_FALSE(Songs().frameGeometry().intersects(Main().frameGeometry()));
    EXPECT_NE(Songs().pos(), Queue().pos());
}

TEST_F(PlacementOnScreens, AWindowNeverShownIsSavedWhereTheCascadeWouldPutItNext) {
    Main().show();
    Songs().show();
    m_placements.SavePlacements(SettingsFile());
    IniFile file(SettingsFile());
    EXPECT_EQ(file.ReadInteger("forms", "FSongs-LEFT", -1), Songs().x());
    EXPECT_EQ(file.ReadInteger("forms", "FSongs-WIDTH", -1), 300);
    EXPECT_EQ(file.ReadInteger("forms", "fctrl2-LEFT", -1), Main().x());
    // The first two windows never shown take the next two steps of the cascade below the main window.
    const QRect main = Main().frameGeometry();
    EXPECT_EQ(file.ReadInteger("forms", "FAlbums-LEFT", -1), main.left() + 32);
    EXPECT_EQ(file.ReadInteger("forms", "FAlbums-TOP", -1), main.bottom() + 1 + 32);
    EXPECT_EQ(file.ReadInteger("forms", "FAlDets-LEFT", -1), main.left() + 64);
    EXPECT_EQ(file.ReadInteger("forms", "FAlDets-TOP", -1), main.bottom() + 1 + 64);
    EXPECT_EQ(file.ReadInteger("forms", "FAlbums-WIDTH", -1), 300);
    EXPECT_EQ(file.ReadInteger("forms", "FAlbums-HEIGHT", -1), 200);
}

}  // namespace
}  // namespace sw
