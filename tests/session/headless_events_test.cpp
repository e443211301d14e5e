#include "session/headless_events.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace nimbra {
namespace {

class HeadlessEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        auto table = StringTable::load(std::string(NIMBRA_STRINGS_DIR) + "/en.txt", error);
        ASSERT_TRUE(table) << error;
        m_strings = *table;
        m_out = open_memstream(&m_buffer, &m_size);
    }
    void TearDown() override { std::free(m_buffer); }

    // Closes the stream, which settles the buffer, and returns what was written.
    std::string finish() {
        std::fclose(m_out);
        m_out = nullptr;
        return std::string(m_buffer, m_size);
    }

    StringTable m_strings;
    char* m_buffer = nullptr;
    std::size_t m_size = 0;
    std::FILE* m_out = nullptr;
};

TEST_F(HeadlessEventsTest, PrintsUsbChangesOnceAndUploadOutcomes) {
    {
        HeadlessEvents events(m_strings, m_out, false);
        events.send(ViewEvent::StationConnected);
        events.send(ViewEvent::StationConnected);
        events.send(ViewEvent::WowFailure);
        events.send(ViewEvent::WriteSettings);  // a request, not news
        events.send(ViewEvent::StationMissing);
        events.send(ViewEvent::WundergroundOff);
        events.uploadFailed(ViewEvent::WeathercloudFailure,
                            UploadFailure(UploadFailure::Kind::httpStatus, {}, 401, "wrong key"));
        events.send(ViewEvent::WeathercloudFailure);
        events.send(ViewEvent::WeathercloudFailure);  // the reason was told for one failure
        // The later services' lines, one with a reason of theirs.
        events.send(ViewEvent::WindySuccess);
        events.uploadFailed(ViewEvent::CwopFailure, UploadFailure(UploadFailure::Kind::noLocation));
        events.send(ViewEvent::CwopFailure);
        events.send(ViewEvent::OpenWeatherMapOff);
    }
    EXPECT_EQ(finish(),
              "USB Connected\n"
              "Upload WOW: failed\n"
              "USB Unconnected\n"
              "Upload Weather Underground: off\n"
              "Upload Weathercloud: failed (The server answered HTTP 401: wrong key)\n"
              "Upload Weathercloud: failed\n"
              "Upload Windy: ok\n"
              "Upload CWOP: failed (Set the station location first.)\n"
              "Upload OpenWeatherMap: off\n");
}

TEST_F(HeadlessEventsTest, PrintsWhyTheStationIsMissingWhenTheReasonChanges) {
    {
        HeadlessEvents events(m_strings, m_out, false);
        for (const char* reason :
             {"no access: Permission denied", "no access: Permission denied", "no station"}) {
            events.stationUnreachable(reason);
            events.send(ViewEvent::StationMissing);
        }
        events.send(ViewEvent::StationConnected);
        events.stationUnreachable("no station");
        events.send(ViewEvent::StationMissing);
    }
    EXPECT_EQ(finish(),
              "USB Unconnected\n"
              "USB: no access: Permission denied\n"
              "USB: no station\n"
              "USB Connected\n"
              "USB Unconnected\n"
              "USB: no station\n");
}

TEST_F(HeadlessEventsTest, LogsProgressSparinglyAndDrawsABarOnATerminal) {
    {
        HeadlessEvents log(m_strings, m_out, false);
        for (int stored = 1; stored <= 1200; ++stored) {
            log.progress({true, stored, 0, 1200});
        }
        log.progress({false, 1200, 1200, 1200});
    }
    {
        HeadlessEvents terminal(m_strings, m_out, true);
        terminal.progress({true, 300, 150, 1200});
        terminal.progress({false, 1200, 1200, 1200});
    }
    EXPECT_EQ(finish(),
              "Data Reading:1 Compute Rain:0%\n"
              "Data Reading:500 Compute Rain:0%\n"
              "Data Reading:1000 Compute Rain:0%\n"
              "Complete\n"
              "\r\033[K[#####...............] 300/1200 Data Reading:300 Compute Rain:50%\n"
              "Complete\n");
}

TEST_F(HeadlessEventsTest, PrintsWhatMqttReportsAfterTheBarItInterrupts) {
    {
        HeadlessEvents events(m_strings, m_out, true);
        events.mqtt(MqttEvent::connected, "broker.lan:1883");
        events.progress({true, 300, 150, 1200});
        events.mqtt(MqttEvent::lost, "broker.lan:1883: The connection was lost.");
        events.mqtt(MqttEvent::unreachable, "broker.lan:1883: Connection refused");
        events.mqtt(MqttEvent::published, "broker.lan:1883");
    }
    EXPECT_EQ(finish(),
              "MQTT: connected to broker.lan:1883\n"
              "\r\033[K[#####...............] 300/1200 Data Reading:300 Compute Rain:50%\n"
              "MQTT: connection lost (broker.lan:1883: The connection was lost.); reconnecting\n"
              "MQTT: cannot connect to broker.lan:1883: Connection refused; trying again\n"
              "MQTT: published\n");
}

}  // namespace
}  // namespace nimbra
