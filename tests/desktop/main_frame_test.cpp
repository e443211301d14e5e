#include "desktop/main_frame.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <filesystem>
#include <thread>

#include "desktop/gui_error_sink.h"
#include "desktop/gui_view_events.h"
#include "session/in_process_station.h"
#include "station_link/hidlink.h"
#include "store/error_sink.h"
#include "tests/support/temp_folder.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

QApplication& application() {
    static int argc = 1;
    static char name[] = "app_gui_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);  // outlives every test
    return *app;
}

// The main window over a real session on the built-in emulator.
class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        std::string error;
        m_station = InProcessStation::start({100, 0.0, 31, std::nullopt}, error);
        ASSERT_TRUE(m_station) << error;
        std::string loadError;
        auto table = StringTable::load(std::string(NIMBRA_STRINGS_DIR) + "/en.txt", loadError);
        ASSERT_TRUE(table) << loadError;
        m_strings = *table;
        m_config = std::make_unique<ProfileFile>(m_folder / "Main.ini");
        m_session =
            std::make_unique<StationSession>(m_folder, m_events, [this] { m_events.invalidate(); });
        ASSERT_TRUE(m_session->ok());
        m_frame =
            std::make_unique<CMainFrame>(FrameContext{*m_config, m_strings, *m_session, true, {}});
        m_events.attach(m_frame.get());
    }

    void TearDown() override {
        m_events.shutDown();
        m_session->stop();
        m_frame.reset();
        m_session.reset();
        m_station.reset();
        CheckHandle();
    }

    // Runs the event loop until `condition` holds or `limitMs` passes.
    template <typename Condition>
    static bool processUntil(Condition condition, int limitMs) {
        QElapsedTimer timer;
        timer.start();
        while (!condition() && timer.elapsed() < limitMs) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return condition();
    }

    testing::TempFolder m_temp{"main-frame"};
    const fs::path m_folder = m_temp.path();
    std::unique_ptr<InProcessStation> m_station;
    StringTable m_strings;
    std::unique_ptr<ProfileFile> m_config;
    GuiViewEvents m_events;
    std::unique_ptr<StationSession> m_session;
    std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(MainFrameTest, ShowsTheStationAndTheDownloadInTheStatusBar) {
    m_session->start();
    m_frame->show();
    ASSERT_TRUE(
        processUntil([&] { return m_frame->paneText(kUsbPane) == "USB Connected"; }, 10000));
    ASSERT_TRUE(processUntil(
        [&] { return m_session->live().snapshot().LastPoint != kNothingDownloaded; }, 10000));
    EXPECT_TRUE(processUntil([&] { return m_frame->paneText(kProgressPane) == "Complete"; }, 5000));
    EXPECT_EQ(m_frame->windowTitle(), "NimbraPlus (emulated station)");
}

TEST_F(MainFrameTest, ProgressPaneCarriesABarWhileADownloadRuns) {
    m_frame->showProgress({true, 120, 54, 400});
    EXPECT_EQ(m_frame->paneText(kProgressPane), "Data Reading:120 Compute Rain:45%");
    EXPECT_EQ(m_frame->downloadBarValue(), 120);
    m_frame->showProgress({false, 400, 400, 400});
    EXPECT_EQ(m_frame->paneText(kProgressPane), "Complete");
    EXPECT_EQ(m_frame->downloadBarValue(), -1);
}

TEST_F(MainFrameTest, ClosingWaitsForTheMonitorAndThenCompletes) {
    m_session->start();
    m_frame->show();
    ASSERT_TRUE(processUntil([&] { return m_session->monitor().m_Connected.load() == 1; }, 10000));
    m_frame->close();
    EXPECT_TRUE(m_frame->isVisible()) << "the first close only asks the monitor";
    EXPECT_TRUE(processUntil([&] { return !m_frame->isVisible(); }, 4000))
        << "the monitor acknowledges within about a second";
    EXPECT_EQ(m_session->monitor().m_RepairPending.load(), 1);
    EXPECT_FALSE(m_frame->restartAfterClose());
}

TEST_F(MainFrameTest, ClearHistoryRequestEmptiesTheDatabaseAndDownloadsAgain) {
    m_session->start();
    ASSERT_TRUE(processUntil(
        [&] { return m_session->live().snapshot().LastPoint != kNothingDownloaded; }, 10000));
    m_session->monitor().m_ClearHistoryRequest = 1;
    ASSERT_TRUE(
        processUntil([&] { return m_session->monitor().m_ClearHistoryRequest.load() == 0; }, 5000));
    // The next connected poll downloads everything again.
    EXPECT_TRUE(processUntil(
        [&] {
            std::int64_t count = 0;
            m_session->db().CountAll(count);
            return count == 100;
        },
        10000));
}

// Database failures reach the desktop user from any thread, one box per message however
// often a failing pass repeats it.
TEST(GuiErrorSinkTest, StoreFailuresFromWorkerThreadsShowOnceEach) {
    application();
    const auto boxesSaying = [](const QString& text) {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            const auto* box = qobject_cast<QMessageBox*>(widget);
            count += box != nullptr && box->isVisible() && box->text() == text ? 1 : 0;
        }
        return count;
    };
    const auto settle = [] {
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    };
    {
        const GuiErrorSink sink;
        std::thread worker([] {
            for (int pass = 0; pass < 3; ++pass) {
                reportToDefaultErrorSink("database or disk is full");
            }
            reportToDefaultErrorSink("The database file is read-only.");
        });
        worker.join();
        settle();
        EXPECT_EQ(boxesSaying(QStringLiteral("database or disk is full")), 1);
        EXPECT_EQ(boxesSaying(QStringLiteral("The database file is read-only.")), 1);

        // Once the user has closed the box, the same failure is told again.
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr) {
                box->accept();
            }
        }
        settle();
        EXPECT_EQ(boxesSaying(QStringLiteral("database or disk is full")), 0);
        std::thread([] { reportToDefaultErrorSink("database or disk is full"); }).join();
        settle();
        EXPECT_EQ(boxesSaying(QStringLiteral("database or disk is full")), 1);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr) {
                box->accept();
            }
        }
        settle();
    }
    // Without the sink, failures no longer reach the window.
    reportToDefaultErrorSink("database or disk is full");
    settle();
    EXPECT_EQ(boxesSaying(QStringLiteral("database or disk is full")), 0);
}

}  // namespace
}  // namespace nimbra
