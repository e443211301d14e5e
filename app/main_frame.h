#pragma once

#include <QMainWindow>
#include <array>
#include <filesystem>

#include "app/profile_file.h"
#include "app/status_texts.h"
#include "app/string_table.h"
#include "station/live_station.h"
#include "views/string_lookup.h"

class QLabel;

namespace nimbra {

class CNimbraView;

// What the main window needs from the application.
struct FrameContext {
    ProfileFile& config;
    const StringTable& strings;
    const LiveStation& live;
    bool emulatedStation = false;
};

// The program's single top-level window: the live view, the menu and the five status
// panes. It opens every dialog from its commands.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(FrameContext context, QWidget* parent = nullptr);

    CNimbraView* view() const { return m_view; }
    StringLookup strings() const;

    // True once the user chose another language: the program restarts after closing.
    bool restartAfterClose() const { return m_RestartAfterClose; }

    QString paneText(StatusPane pane) const;

public slots:
    void showViewEvent(nimbra::ViewEvent event);
    void showProgress(const nimbra::DownloadProgress& progress);

private:
    void createMenus();
    void createStatusBar();
    void setPane(StatusPane pane, const std::string& text, PaneIcon icon);

    void openMaxMin();
    void openLanguage();
    void openAbout();

    FrameContext m_context;
    CNimbraView* m_view = nullptr;
    struct Pane {
        QLabel* icon = nullptr;
        QLabel* text = nullptr;
    };
    std::array<Pane, 5> m_panes{};
    bool m_RestartAfterClose = false;
};

}  // namespace nimbra
