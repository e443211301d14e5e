#include "desktop/main_frame.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>
#include <cstdio>

#include "config/command_line.h"
#include "config/string_ids.h"
#include "station/station_writes.h"
#include "upload/openweathermap_registration.h"
#include "views/about_dialog.h"
#include "views/alarm_dialog.h"
#include "views/app_icon.h"
#include "views/fixed_host_upload_dialog.h"
#include "views/graph_dialog.h"
#include "views/history_dialog.h"
#include "views/import_dialog.h"
#include "views/language_dialog.h"
#include "views/location_dialog.h"
#include "views/max_min_dialog.h"
#include "views/mqtt_dialog.h"
#include "views/nimbra_view.h"
#include "views/service_upload_dialog.h"
#include "views/setting_dialog.h"
#include "views/upload_dialog.h"

namespace nimbra {

namespace {

QString menuCaption(const StringTable& strings, std::string_view key) {
    return QString::fromStdString(strings.menuText(key));
}

}  // namespace

CMainFrame::CMainFrame(FrameContext context, QWidget* parent)
    : QMainWindow(parent), m_context(std::move(context)) {
    setObjectName(QStringLiteral("128"));
    // A fixed-size frame: no sizing border and no maximize box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(appIcon());
    setWindowTitle(m_context.emulatedStation
                       ? QStringLiteral("NimbraPlus ") + strings()(kTextEmulatedStation)
                       : QStringLiteral("NimbraPlus"));

    m_view = new CNimbraView(m_context.session.live(), LiveLabels::fromStrings(strings()));
    setCentralWidget(m_view);
    createMenus();
    createStatusBar();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

StringLookup CMainFrame::strings() const {
    const StringTable& table = m_context.strings;
    return [&table](int id) { return QString::fromStdString(table.text(id)); };
}

void CMainFrame::createMenus() {
    const StringTable& s = m_context.strings;
    QMenu* system = menuBar()->addMenu(menuCaption(s, "menu.system"));
    system->addAction(menuCaption(s, "menu.system.setting"), this, &CMainFrame::openSetting);
    system->addAction(menuCaption(s, "menu.system.alarm"), this, &CMainFrame::openAlarm);
    system->addAction(menuCaption(s, "menu.system.maxmin"), this, &CMainFrame::openMaxMin);
    system->addAction(menuCaption(s, "menu.system.language"), this, &CMainFrame::openLanguage);
    QMenu* record = menuBar()->addMenu(menuCaption(s, "menu.record"));
    record->addAction(menuCaption(s, "menu.record.history"), this, &CMainFrame::openHistory);
    record->addAction(menuCaption(s, "menu.record.graph"), this, &CMainFrame::openGraph);
    QMenu* upload = menuBar()->addMenu(menuCaption(s, "menu.upload"));
    upload->addAction(menuCaption(s, "menu.upload.wunderground"), this,
                      [this] { openUploadSettings<UploadInt>(); });
    upload->addAction(menuCaption(s, "menu.upload.wow"), this,
                      [this] { openUploadSettings<UploadInt1>(); });
    upload->addAction(menuCaption(s, "menu.upload.weathercloud"), this,
                      [this] { openUploadSettings<UploadInt2>(); });
    upload->addAction(menuCaption(s, "menu.upload.cwop"), this,
                      [this] { openServiceSettings<CwopDialog>(); });
    upload->addAction(menuCaption(s, "menu.upload.windy"), this,
                      [this] { openServiceSettings<WindyDialog>(); });
    upload->addAction(menuCaption(s, "menu.upload.openweathermap"), this,
                      [this] { openServiceSettings<OpenWeatherMapDialog>(); });
    upload->addAction(menuCaption(s, "menu.upload.location"), this, &CMainFrame::openLocation);
    upload->addAction(menuCaption(s, "menu.upload.mqtt"), this, &CMainFrame::openMqtt);
    QMenu* help = menuBar()->addMenu(menuCaption(s, "menu.help"));
    help->addAction(menuCaption(s, "menu.help.about"), this, &CMainFrame::openAbout);
}

void CMainFrame::createStatusBar() {
    statusBar()->setSizeGripEnabled(false);
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        auto* pane = new QWidget;
        pane->setObjectName(QStringLiteral("pane%1").arg(i));
        pane->setFixedWidth(kStatusPaneWidths[i]);
        auto* row = new QHBoxLayout(pane);
        row->setContentsMargins(4, 0, 4, 0);
        row->setSpacing(4);
        m_panes[i].icon = new QLabel;
        m_panes[i].icon->setFixedSize(16, 16);
        m_panes[i].icon->hide();
        m_panes[i].text = new QLabel;
        row->addWidget(m_panes[i].icon);
        row->addWidget(m_panes[i].text, 1);
        if (i == kProgressPane) {
            m_downloadBar = new QProgressBar;
            m_downloadBar->setFixedWidth(140);
            m_downloadBar->setMaximumHeight(14);
            m_downloadBar->setTextVisible(false);
            m_downloadBar->hide();
            row->addWidget(m_downloadBar);
        }
        statusBar()->addWidget(pane);
        // The later services' panes take room only once their service reports.
        pane->setVisible(static_cast<int>(i) < kFirstLaterPane);
    }
    // The progress pane stays empty until the first download reports: "Complete" before
    // anything was read would claim a download that never ran.
}

void CMainFrame::setPane(StatusPane pane, const std::string& text, PaneIcon icon) {
    Pane& p = m_panes[static_cast<std::size_t>(pane)];
    p.text->setText(QString::fromStdString(text));
    if (pane >= kFirstLaterPane) {
        p.text->parentWidget()->setVisible(icon != PaneIcon::none);
    }
    if (icon == PaneIcon::none) {
        p.icon->clear();
        p.icon->hide();
        return;
    }
    p.icon->setPixmap((icon == PaneIcon::success ? successIcon() : failureIcon()).pixmap(16, 16));
    p.icon->show();
}

QString CMainFrame::paneText(StatusPane pane) const {
    return m_panes[static_cast<std::size_t>(pane)].text->text();
}

void CMainFrame::showViewEvent(ViewEvent event) {
    if (const auto change = statusChangeFor(event, m_context.strings)) {
        setPane(change->pane, change->text, change->icon);
    }
    if (event == ViewEvent::StationConnected) {
        m_panes[kUsbPane].text->setToolTip({});
    }
    if (const auto change = statusChangeFor(event, m_context.strings);
        change && change->pane != kUsbPane && change->icon != PaneIcon::failure) {
        // A success or a service switched off: the last failure's reason is old news.
        m_panes[static_cast<std::size_t>(change->pane)].text->setToolTip({});
        m_loggedUploadReason[static_cast<std::size_t>(change->pane)].clear();
    }
}

void CMainFrame::showUploadFailure(ViewEvent failure, const UploadFailure& why) {
    const auto change = statusChangeFor(failure, m_context.strings);
    if (!change) {
        return;
    }
    const std::string reason = uploadFailureText(why, m_context.strings);
    std::string& logged = m_loggedUploadReason[static_cast<std::size_t>(change->pane)];
    if (reason != logged) {
        logged = reason;
        std::fprintf(stderr, "nimbraplus: upload to %s failed: %s\n",
                     uploadServiceName(change->pane).c_str(), reason.c_str());
    }
    m_panes[static_cast<std::size_t>(change->pane)].text->setToolTip(
        QString::fromStdString(reason));
}

void CMainFrame::showStationUnreachable(const std::string& reason) {
    m_panes[kUsbPane].text->setToolTip(QString::fromStdString(reason));
}

void CMainFrame::showStationFault(StationFault fault, int value) {
    const std::string text = stationFaultText(fault, value, m_context.strings);
    setPane(kProgressPane, text, PaneIcon::failure);
    // Also for the log of a program started from a terminal or a session manager: the
    // status bar's text gives way to the next download's.
    std::fprintf(stderr, "nimbraplus: %s\n", text.c_str());
}

QString CMainFrame::paneToolTip(StatusPane pane) const {
    return m_panes[static_cast<std::size_t>(pane)].text->toolTip();
}

void CMainFrame::showProgress(const DownloadProgress& progress) {
    setPane(kProgressPane, progressText(progress, m_context.strings), PaneIcon::none);
    const bool counting = progress.reading && progress.totalCount > 0;
    if (counting) {
        m_downloadBar->setRange(0, progress.totalCount);
        m_downloadBar->setValue(std::min(progress.storedCount, progress.totalCount));
    }
    m_downloadBar->setVisible(counting);
}

int CMainFrame::downloadBarValue() const {
    return m_downloadBar->isVisibleTo(this) ? m_downloadBar->value() : -1;
}

void CMainFrame::handleRequest(ViewEvent request) {
    StationMonitor& monitor = m_context.session.monitor();
    const auto tryAgain = [this] {
        QMessageBox::critical(this, QStringLiteral("NimbraPlus"), strings()(kTextTryAgain));
    };
    const WriteByteFunction writeByteToStation = [this](int address, unsigned char value) {
        return m_context.session.link().writeByte(address, value).ok() ? 1 : 0;
    };
    // The station is read back only once it has taken the change.
    const ReadBlockFunction readFromStation = [this](int address, unsigned char* block) {
        return m_context.session.link().readBlock(address, block).ok() ? 1 : 0;
    };
    switch (request) {
        case ViewEvent::WriteSettings:
        case ViewEvent::WriteAlarms: {
            const int written = request == ViewEvent::WriteSettings
                                    ? WriteSettings(m_ViewData, writeByteToStation, readFromStation)
                                    : WriteAlarms(m_ViewData, writeByteToStation, readFromStation);
            if (written == 1) {
                // Read the station back at the next poll, so the display shows what it holds.
                monitor.m_PollCount = StationMonitor::kPollsPerAcquisition;
            } else {
                tryAgain();
            }
            break;
        }
        case ViewEvent::ClearMemory:
            if (ClearMemory(writeByteToStation, readFromStation) == 1) {
                QMessageBox::information(this, QStringLiteral("NimbraPlus"),
                                         strings()(kTextClearingSucceeded));
            } else {
                tryAgain();
            }
            break;
        case ViewEvent::ClearHistory:
            if (m_context.session.db().DeleteAll() == 0) {
                m_context.session.live().update(
                    [](CStationData& data) { data.LastPoint = kNothingDownloaded; });
                monitor.m_NeedFullRead = 1;
            }
            break;
        case ViewEvent::StationUnreadable:
            close();
            break;
        default:
            break;
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    StationMonitor& monitor = m_context.session.monitor();
    // The monitor acknowledges within about a second and this runs again.
    monitor.m_RepairRequest = 1;
    if (monitor.m_RepairPending == 0) {
        event->ignore();
        return;
    }
    if (m_context.session.live().snapshot().m_ReadFailed != 0) {
        // The repair tool starts us again with what follows its "--".
        std::vector<std::string> repairArguments;
        if (!m_context.arguments.empty()) {
            repairArguments.emplace_back("--");
            repairArguments.insert(repairArguments.end(), m_context.arguments.begin(),
                                   m_context.arguments.end());
        }
        startProgramBesideUs("fixora", repairArguments);
    } else if (m_RestartAfterClose) {
        startProgramBesideUs("nimbraplus", withoutLanguageOption(m_context.arguments));
    }
    event->accept();
}

void CMainFrame::startProgramBesideUs(const char* name, const std::vector<std::string>& arguments) {
    if (m_context.releaseInstance) {
        m_context.releaseInstance();
    }
    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(name));
    QStringList list;
    for (const std::string& argument : arguments) {
        list << QString::fromStdString(argument);
    }
    if (m_context.startProgram) {
        m_context.startProgram(program, list);
    } else {
        QProcess::startDetached(program, list);
    }
}

StationAccess CMainFrame::stationAccess() const {
    const StationMonitor& monitor = m_context.session.monitor();
    if (monitor.m_Connected == 0) {
        return StationAccess::disconnected;
    }
    return monitor.m_MonitorMayPoll == 0 ? StationAccess::busy : StationAccess::ready;
}

void CMainFrame::openSetting() {
    CSetting dialog(
        m_context.session.live().snapshot(), strings(), stationAccess(),
        [this](const CStationData& edited) {
            m_ViewData = edited;
            m_context.session.monitor().m_WriteSettingsRequest = 1;
        },
        this);
    dialog.exec();
}

void CMainFrame::openAlarm() {
    CAlarm dialog(
        m_context.session.live().snapshot(), strings(), stationAccess(),
        [this](const CStationData& edited) {
            m_ViewData = edited;
            m_context.session.monitor().m_WriteAlarmsRequest = 1;
        },
        this);
    dialog.exec();
}

void CMainFrame::openMaxMin() {
    CMaxMin dialog(m_context.session.live().snapshot(), strings(), this);
    dialog.exec();
}

HistoryContext CMainFrame::historyContext() const {
    HistoryContext context;
    context.database = m_context.session.databasePath();
    context.mainIni = m_context.config.path();
    context.strings = strings();
    context.stationConnected = m_context.session.monitor().m_Connected != 0;
    StationMonitor& monitor = m_context.session.monitor();
    context.hooks.requestClearHistory = [&monitor] { monitor.m_ClearHistoryRequest = 1; };
    context.hooks.requestClearMemory = [&monitor] { monitor.m_ClearMemoryRequest = 1; };
    context.hooks.runImport = [database = context.database,
                               lookup = context.strings](QWidget* parent) {
        return runImportDialog(parent, database, lookup);
    };
    return context;
}

void CMainFrame::openHistory() {
    History dialog(m_context.session.live().snapshot(), historyContext(), this);
    dialog.exec();
}

void CMainFrame::openGraph() {
    Grapsh dialog(m_context.session.live().snapshot(), m_context.session.databasePath(), strings(),
                  this);
    dialog.exec();
}

void CMainFrame::openLanguage() {
    Language dialog(m_context.config, strings(), this);
    if (dialog.exec() == QDialog::Accepted) {
        m_RestartAfterClose = true;
        close();
    }
}

void CMainFrame::openAbout() {
    AboutDialog dialog(m_context.config, strings(), this);
    dialog.exec();
}

template <typename Dialog>
void CMainFrame::openServiceSettings() {
    StationSession& session = m_context.session;
    Dialog dialog(m_context.config, session.uploadConfigs(), strings(), this);
    dialog.setTester(
        [&session](UploadService service, const UploadServiceConfig& settings,
                   std::stop_token stop) { return session.testUpload(service, settings, stop); });
    dialog.setRegistrar([&session](const UploadServiceConfig& settings, UploadFailure& whyNot) {
        return registerOpenWeatherMapStation(settings, session.uploadConfigs().location(), {},
                                             whyNot)
            .value_or(std::string());
    });
    dialog.exec();
}

void CMainFrame::openLocation() {
    LocationDialog dialog(m_context.config, m_context.session.uploadConfigs(), strings(), this);
    dialog.exec();
}

void CMainFrame::openMqtt() {
    MqttDialog dialog(
        m_context.config,
        [this](const MqttSettings& settings) { m_context.session.mqtt().configure(settings); },
        strings(), this);
    dialog.exec();
}

}  // namespace nimbra
