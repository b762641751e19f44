#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <vector>

#include "core/IniFile.h"
#include "foundation/ScriptedDialogs.h"
#include "windows/Placements.h"

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

}  // namespace
}  // namespace sw
