#include "desktop/gui_view_events.h"

#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <future>
#include <memory>

#include "desktop/main_frame.h"
#include "views/nimbra_view.h"

namespace nimbra {

namespace {

constexpr auto kShutDownCheck = std::chrono::milliseconds(100);

bool isRequest(ViewEvent event) {
    const int value = static_cast<int>(event);
    return value >= static_cast<int>(ViewEvent::WriteSettings) &&
           value <= static_cast<int>(ViewEvent::ClearHistory);
}

}  // namespace

void GuiViewEvents::send(ViewEvent event) {
    CMainFrame* frame = m_frame;
    if (m_shutDown || frame == nullptr) {
        return;
    }
    if (!isRequest(event)) {
        QMetaObject::invokeMethod(
            frame, [frame, event] { frame->showViewEvent(event); }, Qt::QueuedConnection);
        return;
    }
    if (QThread::currentThread() == frame->thread()) {
        frame->handleRequest(event);
        return;
    }
    QMetaObject::invokeMethod(
        frame, [frame, event] { frame->handleRequest(event); }, Qt::BlockingQueuedConnection);
}

void GuiViewEvents::progress(const DownloadProgress& progress) {
    CMainFrame* frame = m_frame;
    if (m_shutDown || frame == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        frame, [frame, progress] { frame->showProgress(progress); }, Qt::QueuedConnection);
}

void GuiViewEvents::stationUnreachable(const std::string& reason) {
    CMainFrame* frame = m_frame;
    if (m_shutDown || frame == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        frame, [frame, reason] { frame->showStationUnreachable(reason); }, Qt::QueuedConnection);
}

void GuiViewEvents::uploadFailed(ViewEvent failure, const UploadFailure& why) {
    CMainFrame* frame = m_frame;
    if (m_shutDown || frame == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        frame, [frame, failure, why] { frame->showUploadFailure(failure, why); },
        Qt::QueuedConnection);
}

void GuiViewEvents::stationFault(StationFault fault, int value) {
    CMainFrame* frame = m_frame;
    if (m_shutDown || frame == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        frame, [frame, fault, value] { frame->showStationFault(fault, value); },
        Qt::QueuedConnection);
}

void GuiViewEvents::invalidate() {
    CMainFrame* frame = m_frame;
    if (m_shutDown || frame == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        frame, [frame] { frame->view()->update(); }, Qt::QueuedConnection);
}

}  // namespace nimbra
