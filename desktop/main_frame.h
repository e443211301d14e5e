#pragma once

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "config/profile_file.h"
#include "config/status_texts.h"
#include "config/string_table.h"
#include "session/station_session.h"
#include "views/history_dialog.h"
#include "views/station_dialog.h"
#include "views/string_lookup.h"

class QLabel;
class QProgressBar;

namespace nimbra {

class CNimbraView;

// What the main window needs from the application.
struct FrameContext {
    ProfileFile& config;
    const StringTable& strings;
    StationSession& session;
    bool emulatedStation = false;
    // Gives up the single-instance lock before another instance is started.
    std::function<void()> releaseInstance;
    // The options this run was started with (without the program name), handed on to
    // the restart after a language change and to the repair tool's restart.
    std::vector<std::string> arguments;
    // Starts a program beside this one, detached; QProcess when not given.
    std::function<void(const QString& program, const QStringList& arguments)> startProgram;
};

// The program's single top-level window: the live view, the menu and the status
// panes. It opens every dialog from its commands, carries out the requests the station
// monitor forwards, and closes only after the monitor has acknowledged.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(FrameContext context, QWidget* parent = nullptr);

    CNimbraView* view() const { return m_view; }
    StringLookup strings() const;
    QString paneText(StatusPane pane) const;
    // The USB pane's tooltip says why the station could not be had.
    QString paneToolTip(StatusPane pane) const;
    // Records read so far out of those to read, while a download runs; -1 otherwise.
    int downloadBarValue() const;

    // What the History window works with: its database, hooks for clearing and import.
    HistoryContext historyContext() const;

    // True once the user chose another language: the program restarts after closing.
    bool restartAfterClose() const { return m_RestartAfterClose; }

public slots:
    void showViewEvent(nimbra::ViewEvent event);
    void showProgress(const nimbra::DownloadProgress& progress);
    void showStationUnreachable(const std::string& reason);
    // Why an upload failed: in its pane's tooltip, and in the log when the reason changes.
    void showUploadFailure(ViewEvent failure, const UploadFailure& why);
    void showStationFault(nimbra::StationFault fault, int value);
    // A request the monitor forwarded: device writes, clearing, the close hand-shake.
    void handleRequest(nimbra::ViewEvent request);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createStatusBar();
    void setPane(StatusPane pane, const std::string& text, PaneIcon icon);
    StationAccess stationAccess() const;
    void startProgramBesideUs(const char* name, const std::vector<std::string>& arguments);

    void openSetting();
    void openAlarm();
    void openMaxMin();
    void openHistory();
    void openGraph();
    void openLanguage();
    void openAbout();
    void openMqtt();
    void openLocation();
    template <typename Dialog>
    void openServiceSettings();
    template <typename Dialog>
    void openUploadSettings() {
        Dialog dialog(m_context.config, m_context.session.uploadConfigs(), strings(), this);
        dialog.exec();
    }

    FrameContext m_context;
    CNimbraView* m_view = nullptr;
    struct Pane {
        QLabel* icon = nullptr;
        QLabel* text = nullptr;
    };
    std::array<Pane, kStatusPaneCount> m_panes{};
    std::array<std::string, kStatusPaneCount> m_loggedUploadReason;
    QProgressBar* m_downloadBar = nullptr;  // in the progress pane while a download runs
    // The record the station writes send, handed over by the settings and alarm dialogs.
    CStationData m_ViewData;
    bool m_RestartAfterClose = false;
};

}  // namespace nimbra
