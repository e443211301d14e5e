#pragma once

#include <array>
#include <cstdio>
#include <mutex>
#include <string>

#include "config/status_texts.h"
#include "config/string_table.h"
#include "core/view_events.h"
#include "mqtt/mqtt_publisher.h"

namespace nimbra {

// The logger's view: every event becomes a line of text in the chosen language. The
// USB state is printed when it changes, followed by why the station could not be had
// when that changes; download progress is a bar redrawn in place on a terminal and an
// occasional line in a log.
class HeadlessEvents : public ViewEvents {
public:
    HeadlessEvents(const StringTable& strings, std::FILE* out, bool terminal);

    void send(ViewEvent event) override;
    void progress(const DownloadProgress& progress) override;
    void stationUnreachable(const std::string& reason) override;
    void uploadFailed(ViewEvent failure, const UploadFailure& why) override;
    void stationFault(StationFault fault, int value) override;
    // What the MQTT publisher reports, as "MQTT: ..." lines beside the uploads' lines.
    void mqtt(MqttEvent event, const std::string& detail);

private:
    void printLine(const std::string& line);

    const StringTable& m_strings;
    std::FILE* m_out;
    bool m_terminal;
    std::mutex m_mutex;  // events come from the monitor, the upload threads and MQTT
    int m_lastUsbEvent = 0;
    std::string m_unreachableReason;  // told before the StationMissing it explains
    std::string m_printedReason;
    // Why each pane's upload failed, told before the failure it explains.
    std::array<std::string, kStatusPaneCount> m_uploadReason;
    bool m_progressShown = false;
    int m_lastLoggedCount = -1;
};

}  // namespace nimbra
