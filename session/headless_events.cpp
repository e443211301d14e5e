#include "session/headless_events.h"

#include <algorithm>

#include "config/status_texts.h"

namespace nimbra {

namespace {

constexpr int kLogEveryRecords = 500;

// "[#######.............]  120/3264", or nothing while the total is unknown.
std::string progressBar(const DownloadProgress& progress) {
    if (progress.totalCount <= 0) {
        return {};
    }
    constexpr int kWidth = 20;
    const int done = std::min(progress.storedCount, progress.totalCount);
    const int filled = done * kWidth / progress.totalCount;
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] " +
           std::to_string(done) + "/" + std::to_string(progress.totalCount);
}

std::string mqttLine(MqttEvent event, const std::string& detail) {
    switch (event) {
        case MqttEvent::off:
            return "MQTT: off";
        case MqttEvent::connected:
            return "MQTT: connected to " + detail;
        case MqttEvent::published:
            return "MQTT: published";
        case MqttEvent::unreachable:
            return "MQTT: cannot connect to " + detail + "; trying again";
        case MqttEvent::refused:
            return "MQTT: the broker refused the connection (" + detail + "); trying again";
        case MqttEvent::lost:
            return "MQTT: connection lost (" + detail + "); reconnecting";
    }
    return {};
}

}  // namespace

HeadlessEvents::HeadlessEvents(const StringTable& strings, std::FILE* out, bool terminal)
    : m_strings(strings), m_out(out), m_terminal(terminal) {}

void HeadlessEvents::printLine(const std::string& line) {
    if (m_progressShown) {
        std::fputc('\n', m_out);  // finish the bar drawn in place
        m_progressShown = false;
    }
    std::fprintf(m_out, "%s\n", line.c_str());
    std::fflush(m_out);
}

void HeadlessEvents::send(ViewEvent event) {
    std::lock_guard lock(m_mutex);
    const auto change = statusChangeFor(event, m_strings);
    if (!change) {
        return;
    }
    if (change->pane == kUsbPane) {
        if (m_lastUsbEvent != static_cast<int>(event)) {
            m_lastUsbEvent = static_cast<int>(event);
            printLine(change->text);
        }
        if (event == ViewEvent::StationConnected) {
            m_printedReason.clear();
        } else if (!m_unreachableReason.empty() && m_unreachableReason != m_printedReason) {
            m_printedReason = m_unreachableReason;
            printLine("USB: " + m_printedReason);
        }
        m_unreachableReason.clear();
        return;
    }
    const char* outcome = change->icon == PaneIcon::success   ? "ok"
                          : change->icon == PaneIcon::failure ? "failed"
                                                              : "off";
    std::string& reason = m_uploadReason[static_cast<std::size_t>(change->pane)];
    const std::string why =
        change->icon == PaneIcon::failure && !reason.empty() ? " (" + reason + ")" : "";
    reason.clear();
    printLine("Upload " + uploadServiceName(change->pane) + ": " + outcome + why);
}

void HeadlessEvents::uploadFailed(ViewEvent failure, const UploadFailure& why) {
    std::lock_guard lock(m_mutex);
    if (const auto change = statusChangeFor(failure, m_strings)) {
        m_uploadReason[static_cast<std::size_t>(change->pane)] = uploadFailureText(why, m_strings);
    }
}

void HeadlessEvents::stationUnreachable(const std::string& reason) {
    std::lock_guard lock(m_mutex);
    m_unreachableReason = reason;
}

void HeadlessEvents::stationFault(StationFault fault, int value) {
    std::lock_guard lock(m_mutex);
    printLine(stationFaultText(fault, value, m_strings));
}

void HeadlessEvents::progress(const DownloadProgress& progress) {
    std::lock_guard lock(m_mutex);
    const std::string text = progressText(progress, m_strings);
    if (!progress.reading) {
        m_lastLoggedCount = -1;
        printLine(text);
        return;
    }
    if (m_terminal) {
        std::fprintf(m_out, "\r\033[K%s %s", progressBar(progress).c_str(), text.c_str());
        std::fflush(m_out);
        m_progressShown = true;
    } else if (progress.storedCount / kLogEveryRecords != m_lastLoggedCount / kLogEveryRecords ||
               m_lastLoggedCount < 0) {
        m_lastLoggedCount = progress.storedCount;
        printLine(text);
    }
}

void HeadlessEvents::mqtt(MqttEvent event, const std::string& detail) {
    std::lock_guard lock(m_mutex);
    printLine(mqttLine(event, detail));
}

}  // namespace nimbra
