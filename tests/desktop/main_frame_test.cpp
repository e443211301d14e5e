#include "desktop/main_frame.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <filesystem>
#include <thread>

#include "desktop/gui_error_sink.h"
#include "desktop/gui_view_events.h"
#include "session/in_process_station.h"
#include "station_link/exported_link.h"
#include "store/error_sink.h"
#include "tests/support/temp_folder.h"
#include "views/nimbra_view.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

QApplication& application() {
    static int argc = 1;
    static char name[] = "app_gui_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        new QApplication(argc, argv);  // outlives every test
    }
    return *qApp;
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
        m_session = std::make_unique<StationSession>(m_link, m_folder, m_events,
                                                     [this] { m_events.invalidate(); });
        ASSERT_TRUE(m_session->ok());
        m_frame = std::make_unique<CMainFrame>(FrameContext{
            *m_config, m_strings, *m_session, true, [this] { ++m_released; }, kArguments,
            [this](const QString& program, const QStringList& arguments) {
                m_started.push_back(QFileInfo(program).fileName() + ' ' + arguments.join(' '));
            }});
        m_events.attach(m_frame.get());
    }

    void TearDown() override {
        m_events.shutDown();
        m_session->stop();
        m_frame.reset();
        m_session.reset();
        m_station.reset();
        m_link.open();
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

    // The options this run "was started with", handed on to the restarts.
    inline static const std::vector<std::string> kArguments = {"--emulator", "--language", "French",
                                                               "--data-dir", "d"};

    // Runs `act` with `onModal` called on the modal dialog it opens.
    static void withModal(const std::function<void()>& act,
                          const std::function<void(QWidget*)>& onModal) {
        QTimer::singleShot(0, [onModal] {
            QWidget* modal = QApplication::activeModalWidget();
            onModal(modal);
            if (auto* dialog = qobject_cast<QDialog*>(modal);
                dialog != nullptr && dialog->isVisible()) {
                dialog->reject();
            }
        });
        act();
    }

    int m_released = 0;
    std::vector<QString> m_started;  // "program arguments..." of every start
    testing::TempFolder m_temp{"main-frame"};
    const fs::path m_folder = m_temp.path();
    std::unique_ptr<InProcessStation> m_station;
    link::ExportedLink m_link;
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

// Why the last upload failed stays in the pane's tooltip until the service succeeds.
TEST_F(MainFrameTest, UploadPaneTellsWhyItFailed) {
    m_frame->showUploadFailure(ViewEvent::WowFailure,
                               UploadFailure(UploadFailure::Kind::nameNotResolved, "wow.example"));
    m_frame->showViewEvent(ViewEvent::WowFailure);
    EXPECT_EQ(m_frame->paneToolTip(kWowPane), "The name wow.example does not resolve");
    EXPECT_TRUE(m_frame->paneToolTip(kWeathercloudPane).isEmpty());
    m_frame->showViewEvent(ViewEvent::WowSuccess);
    EXPECT_TRUE(m_frame->paneToolTip(kWowPane).isEmpty());
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
    EXPECT_TRUE(m_started.empty()) << "a plain close starts nothing";
}

TEST_F(MainFrameTest, FixedSizeWindowWithFivePanesAndNothingCompleteBeforeADownload) {
    m_frame->show();
    QApplication::processEvents();
    EXPECT_EQ(m_frame->minimumSize(), m_frame->maximumSize()) << "no resizing";
    EXPECT_FALSE(m_frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(m_frame->view()->size(), QSize(900, 600));
    EXPECT_EQ(m_frame->width(), 900);
    const int widths[] = {400, 120, 120, 90, 175};
    for (int i = 0; i < 5; ++i) {
        const auto* pane =
            m_frame->statusBar()->findChild<QWidget*>(QStringLiteral("pane%1").arg(i));
        ASSERT_NE(pane, nullptr) << i;
        EXPECT_EQ(pane->width(), widths[i]) << "pane " << i;
    }
    EXPECT_EQ(m_frame->paneText(kProgressPane), "") << "no download has run yet";

    // A later service's pane takes room only while its service reports, and tells why
    // the last upload failed.
    const auto* cwop =
        m_frame->statusBar()->findChild<QWidget*>(QStringLiteral("pane%1").arg(kCwopPane));
    ASSERT_NE(cwop, nullptr);
    EXPECT_FALSE(cwop->isVisibleTo(m_frame.get()));
    m_frame->showUploadFailure(ViewEvent::CwopFailure,
                               UploadFailure(UploadFailure::Kind::noLocation));
    m_frame->showViewEvent(ViewEvent::CwopFailure);
    EXPECT_TRUE(cwop->isVisibleTo(m_frame.get()));
    EXPECT_EQ(m_frame->paneText(kCwopPane), "cwop");
    EXPECT_EQ(m_frame->paneToolTip(kCwopPane), "Set the station location first.");
    m_frame->showViewEvent(ViewEvent::CwopOff);
    EXPECT_FALSE(cwop->isVisibleTo(m_frame.get()));
}

// Each menu item opens its own window, in the menu's order.
TEST_F(MainFrameTest, EveryMenuItemOpensItsDialog) {
    const QString expected[] = {
        QStringLiteral("310"),      QStringLiteral("311"),   QStringLiteral("319"),
        QStringLiteral("328"),      QStringLiteral("320"),   QStringLiteral("321"),
        QStringLiteral("330"),      QStringLiteral("333"),   QStringLiteral("334"),
        QStringLiteral("cwop"),     QStringLiteral("windy"), QStringLiteral("openweathermap"),
        QStringLiteral("location"), QStringLiteral("mqtt"),  QStringLiteral("100")};
    std::vector<QString> opened;
    for (QAction* menu : m_frame->menuBar()->actions()) {
        for (QAction* item : menu->menu()->actions()) {
            withModal([item] { item->trigger(); },
                      [&opened](QWidget* modal) {
                          opened.push_back(modal != nullptr ? modal->objectName() : QString());
                      });
        }
    }
    EXPECT_EQ(opened, std::vector<QString>(std::begin(expected), std::end(expected)));
    EXPECT_TRUE(m_started.empty()) << "the Language dialog was cancelled: no restart";
}

// The two restarts start the program again with the options this run had: the language
// restart without --language, so that the choice just stored applies; the repair tool
// with them after "--", to hand back.
TEST_F(MainFrameTest, ClosingRestartsWithTheSameOptions) {
    m_frame->show();
    m_session->monitor().m_RepairPending = 1;  // the monitor has acknowledged
    QAction* language = m_frame->menuBar()->actions()[0]->menu()->actions()[3];
    withModal([language] { language->trigger(); },
              [](QWidget* modal) {
                  auto* list = modal->findChild<QComboBox*>(QStringLiteral("1222"));
                  list->setCurrentText(QStringLiteral("Deutsch"));
                  qobject_cast<QDialog*>(modal)->accept();
              });
    EXPECT_FALSE(m_frame->isVisible());
    EXPECT_EQ(m_config->readString("Language", "Language"), "Deutsch");
    ASSERT_EQ(m_started.size(), 1u);
    EXPECT_EQ(m_started[0], "nimbraplus --emulator --data-dir d");
    EXPECT_EQ(m_released, 1) << "the lock is given up for the new instance";

    // The station could not be read: the repair tool, whatever else is due.
    m_frame->show();
    m_session->live().update([](CStationData& data) { data.m_ReadFailed = 1; });
    m_frame->close();
    ASSERT_EQ(m_started.size(), 2u);
    EXPECT_EQ(m_started[1], "fixora -- --emulator --language French --data-dir d");
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
