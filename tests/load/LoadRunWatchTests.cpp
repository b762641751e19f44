// What the load window tells the work beside it: when a load run begins and ends, and where the
// status line shows that work's text.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <stdexcept>

#include "FakeImporter.h"
#include "LoadTestSupport.h"
#include "foundation/ScriptedDialogs.h"
#include "load/LoadController.h"

namespace sw {
namespace {

using test::FakeLoadDisplay;
using test::MakeTree;

/// An importer whose end of run can fail too.
class Importer : public test::FakeImporter {
public:
    void FinishLoadRun() override {
        FakeImporter::FinishLoadRun();
        if (failFinish) {
            throw std::runtime_error("commit refused");
        }
    }
    bool failFinish = false;
};

enum class Run { All, One, FailedImport, FailedFinish };

struct WatchCase {
    const char* name;
    Run run;
    QStringList calls;
};
void PrintTo(const WatchCase& c, std::ostream* os) {
    *os << c.name;
}

class LoadWindowSide : public ::testing::Test {
protected:
    LoadWindowSide() : m_installed(m_dialogs) {
        m_controller.SetDisplay(&m_display);
        MakeTree(m_dir.path(), {"a.mp3", "b.mp3"});
    }

    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    Importer m_importer;
    FakeLoadDisplay m_display;
    LoadController m_controller{m_importer};
};

class LoadRunWatch : public LoadWindowSide, public ::testing::WithParamInterface<WatchCase> {};

TEST_P(LoadRunWatch, HearsTheStartAndTheEndAfterTheRunsCommit) {
    const WatchCase& c = GetParam();
    m_controller.SetLoadRunWatcher(
        [&](bool running) { m_importer.calls << (running ? "watch running" : "watch ended"); });
    m_controller.ListFilesToLoad(m_dir.path(), false, false);
    // A listing is no load run.
    EXPECT_TRUE(m_importer.RunCalls().isEmpty());
    m_importer.calls.clear();
    if (c.run == Run::FailedImport) {
        m_importer.onImport = [](const QString&) { throw std::runtime_error("statement refused"); };
    }
    m_importer.failFinish = c.run == Run::FailedFinish;
    if (c.run == Run::One) {
        EXPECT_TRUE(m_controller.LoadSelectedFile());
    } else if (c.run == Run::All) {
        EXPECT_TRUE(m_controller.LoadAllListed());
    } else {
        EXPECT_THROW(m_controller.LoadAllListed(), std::runtime_error);
    }
    EXPECT_EQ(m_importer.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Load, LoadRunWatch,
    ::testing::Values(WatchCase{"LoadAll",
                                Run::All,
                                {"start all", "watch running", "import a.mp3", "commit if due",
                                 "import b.mp3", "commit if due", "finish", "watch ended"}},
                      WatchCase{"LoadOne",
                                Run::One,
                                {"start one", "watch running", "import b.mp3", "finish", "watch ended"}},
                      WatchCase{"FailedImport",
                                Run::FailedImport,
                                {"start all", "watch running", "import a.mp3", "finish", "watch ended"}},
                      WatchCase{"FailedFinish",
                                Run::FailedFinish,
                                {"start all", "watch running", "import a.mp3", "commit if due",
                                 "import b.mp3", "commit if due", "finish", "watch ended"}}),
    [](const ::testing::TestParamInfo<WatchCase>& param) { return std::string(param.param.name); });

class BackgroundStatus : public LoadWindowSide {};

TEST_F(BackgroundStatus, ShowsAtOnceWhileTheWindowIsIdle) {
    m_controller.SetBackgroundStatus("Measuring loudness: 0 of 3 songs");
    EXPECT_EQ(m_display.statuses, QStringList{"Measuring loudness: 0 of 3 songs"});
    EXPECT_EQ(m_controller.ShownStatus(), "Measuring loudness: 0 of 3 songs");
    EXPECT_EQ(m_controller.LoadStatus(), "");
}

TEST_F(BackgroundStatus, WaitsWhileAListingRunsAndReturnsAfterIt) {
    m_controller.SetBackgroundStatus("Measuring loudness: 0 of 3 songs");
    m_display.statuses.clear();
    m_importer.onNumber = [&](const QString&) {
        m_controller.SetBackgroundStatus("Measuring loudness: 1 of 3 songs");
        EXPECT_EQ(m_controller.ShownStatus(), m_controller.LoadStatus());
    };
    m_controller.ListFilesToLoad(m_dir.path(), false, true);
    EXPECT_EQ(m_display.statuses, (QStringList{m_dir.path() + "/", "", "Measuring loudness: 1 of 3 songs"}));
    EXPECT_EQ(m_controller.ShownStatus(), "Measuring loudness: 1 of 3 songs");
}

TEST_F(BackgroundStatus, WaitsWhileALoadRunsAndReturnsAfterIt) {
    m_controller.ListFilesToLoad(m_dir.path(), false, false);
    m_controller.SetBackgroundStatus("Measuring loudness: 0 of 3 songs");
    m_display.statuses.clear();
    m_importer.onImport = [&](const QString& path) {
        m_controller.SetBackgroundStatus("Loudness measured for 3 songs");
        EXPECT_EQ(m_controller.ShownStatus(), path) << path.toStdString();
    };
    m_dialogs.QueueAnswer("Yes");
    m_controller.SelectFile(0);
    EXPECT_TRUE(m_controller.LoadSelectedFile());
    EXPECT_EQ(m_display.statuses,
              (QStringList{m_dir.path() + "/a.mp3", "", "Loudness measured for 3 songs"}));
    EXPECT_EQ(m_controller.ShownStatus(), "Loudness measured for 3 songs");
}

}  // namespace
}  // namespace sw
