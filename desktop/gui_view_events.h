#pragma once

#include <atomic>

#include "core/view_events.h"

namespace nimbra {

class CMainFrame;

// Delivers view events from the station and upload threads to the main window on its
// thread. Requests wait until the window has carried them out, as the monitor relies
// on; news and progress are posted without waiting, so no worker ever blocks on the
// user interface while it holds the station or the database.
class GuiViewEvents : public ViewEvents {
public:
    // Events before a window is attached, and after shutDown(), are dropped.
    void attach(CMainFrame* frame) { m_frame = frame; }

    void send(ViewEvent event) override;
    void progress(const DownloadProgress& progress) override;
    void stationUnreachable(const std::string& reason) override;
    void uploadFailed(ViewEvent failure, const UploadFailure& why) override;
    void stationFault(StationFault fault, int value) override;
    // Asks for a repaint of the live view.
    void invalidate();

    // After the window's event loop has ended nothing can be delivered any more.
    void shutDown() { m_shutDown = true; }

private:
    std::atomic<CMainFrame*> m_frame{nullptr};
    std::atomic<bool> m_shutDown{false};
};

}  // namespace nimbra
