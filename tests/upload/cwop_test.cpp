#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <mutex>
#include <string>

#include "core/absent.h"
#include "tests/support/aprs_is_stand_in.h"
#include "tests/support/recording_view_events.h"
#include "tests/support/sample_records.h"
#include "tests/support/test_http_server.h"
#include "upload/cwop_schedule.h"
#include "upload/upload_loops.h"
#include "upload/upload_worker.h"

namespace nimbra {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;
using testing::AprsIsStandIn;
using testing::RecordingViewEvents;

// 5 March 2024, 18:07:05 UTC.
const system_clock::time_point kNow = sys_days{2024y / March / 5} + 18h + 7min + 5s;
const StationLocation kWhere{49.058333, -72.029166, 120.0};

// The weather fields of a packet after the symbol: "158/008g022t022r000..." by tag, the
// direction under 'd' and the speed under 's'.
std::map<char, std::string> weatherFields(const std::string& report) {
    std::map<char, std::string> fields{{'d', report.substr(0, 3)}, {'s', report.substr(4, 3)}};
    const std::map<char, std::size_t> widths{{'g', 3}, {'t', 3}, {'r', 3}, {'p', 3},
                                             {'P', 3}, {'h', 2}, {'b', 5}};
    std::size_t at = 7;
    while (at < report.size() && widths.contains(report[at])) {
        fields[report[at]] = report.substr(at + 1, widths.at(report[at]));
        at += 1 + widths.at(report[at]);
    }
    fields['c'] = report.substr(at);  // the software's tag
    return fields;
}

std::string digits(long value, int width) {
    std::string text = std::to_string(value);
    return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(text.size()))),
                       '0') +
           text;
}

// What the packet must say for `r`, worked out from the stored reading.
std::map<char, std::string> expectedFields(const HistoryRecord& r, double rain24h) {
    const auto mph = [](float v) {
        return isAbsent(v) ? "..." : digits(std::lround(v * 2.2369363), 3);
    };
    const auto inches = [](double mm) { return digits(std::lround(mm / 0.254), 3); };
    std::map<char, std::string> fields;
    fields['d'] = isAbsent(r.WindDirection) ? "..."
                  : r.WindDirection == 0    ? "360"
                                            : digits(std::lround(r.WindDirection * 22.5), 3);
    fields['s'] = mph(r.Wind);
    fields['g'] = mph(r.Gust);
    if (isAbsent(r.OutTemp)) {
        fields['t'] = "...";
    } else {
        const long f = std::lround(r.OutTemp * 1.8 + 32.0);
        fields['t'] = f < 0 ? "-" + digits(-f, 2) : digits(f, 3);
    }
    fields['r'] = inches(r.Rain1);
    fields['p'] = inches(rain24h);
    fields['P'] = inches(r.Rain2);
    if (!isAbsent(r.OutHumi)) {
        fields['h'] = digits(r.OutHumi % 100, 2);
    }
    if (!isAbsent(r.RelPressure)) {
        fields['b'] = digits(std::lround(r.RelPressure * 10.0), 5);
    }
    fields['c'] = "NimbraPlus";
    return fields;
}

class Cwop : public ::testing::Test {
protected:
    Cwop() {
        context_.clock = [] { return kNow; };
        context_.send.connectTimeout = 2s;
        context_.send.replyTimeout = 2s;
        context_.rainLast24Hours = [] { return std::optional<double>(12.7); };
        configs_.setLocation(kWhere);
    }

    void configure(std::uint16_t port, const char* passcode = "-1") {
        UploadServiceConfig c;
        c.m_Autosend = "1";
        c.m_StationID = "cw1234";
        c.m_Password = passcode;
        c.m_Server = "127.0.0.1";
        c.m_ServerPort = std::to_string(port);
        configs_.set(UploadService::Cwop, c);
    }

    UploadConfigStore configs_;
    RecordingViewEvents events_;
    HistoryRecord current_ = testing::sampleReading();
    UploadContext context_{configs_, [this] { return current_; }, events_};
};

TEST_F(Cwop, PacketCarriesTheStoredReadingFieldByField) {
    HistoryRecord saturated = testing::sampleReading();
    saturated.OutTemp = 31.7f;
    saturated.OutHumi = 100;
    saturated.WindDirection = 0;
    saturated.Rain1 = 1.2f;
    HistoryRecord lostSensor = testing::sampleReading();
    lostSensor.OutTemp = kAbsent;
    lostSensor.OutHumi = kAbsentInt;
    lostSensor.Wind = kAbsent;
    lostSensor.Gust = kAbsent;
    lostSensor.WindDirection = kAbsentInt;
    const HistoryRecord readings[] = {testing::sampleReading(), saturated, lostSensor};
    for (const HistoryRecord& reading : readings) {
        AprsIsStandIn server;
        configure(server.port());
        current_ = reading;
        EXPECT_TRUE(UploadToService(context_, UploadService::Cwop));
        EXPECT_EQ(events_.events().back(), ViewEvent::CwopSuccess);
        const auto sessions = server.waitForSessions(1);
        ASSERT_EQ(sessions.size(), 1u);
        EXPECT_TRUE(sessions[0].crlf);
        EXPECT_EQ(sessions[0].login, "user CW1234 pass -1 vers NimbraPlus 2.4.0");
        const std::string head = "CW1234>APRS,TCPIP*:@051807z4903.50N/07201.75W_";
        const std::string& packet = sessions[0].packet;
        ASSERT_EQ(packet.substr(0, head.size()), head) << packet;
        EXPECT_EQ(weatherFields(packet.substr(head.size())), expectedFields(reading, 12.7))
            << packet;
    }
}

TEST_F(Cwop, FailuresAreReportedWithTheirReason) {
    const struct {
        const char* name;
        bool verified;
        bool closedPort;
        const char* passcode;
        bool located;
        UploadFailure::Kind reason;
    } cases[] = {
        {"refused connection", false, true, "-1", true, UploadFailure::Kind::cannotConnect},
        {"passcode not verified", false, false, "12345", true, UploadFailure::Kind::notAccepted},
        {"bad passcode", true, false, "12 45", true, UploadFailure::Kind::badPasscode},
        {"no location", true, false, "-1", false, UploadFailure::Kind::noLocation},
    };
    for (const auto& c : cases) {
        AprsIsStandIn server(c.verified);
        const std::uint16_t port = c.closedPort ? testing::closedPort() : server.port();
        configure(port, c.passcode);
        configs_.setLocation(c.located ? kWhere : StationLocation{});
        EXPECT_FALSE(UploadToService(context_, UploadService::Cwop)) << c.name;
        EXPECT_EQ(events_.events().back(), ViewEvent::CwopFailure) << c.name;
        ASSERT_FALSE(events_.uploadFailures().empty());
        const auto [failure, why] = events_.uploadFailures().back();
        EXPECT_EQ(failure, ViewEvent::CwopFailure) << c.name;
        EXPECT_EQ(why.kind, c.reason) << c.name << ": " << why.detail;
        if (c.closedPort) {
            EXPECT_EQ(why.host, "127.0.0.1:" + std::to_string(port)) << c.name;
        }
        if (c.reason == UploadFailure::Kind::notAccepted) {
            EXPECT_NE(why.serverMessage.find("unverified"), std::string::npos) << why.serverMessage;
        }
    }
    AprsIsStandIn verified(true);
    configure(verified.port(), "12345");
    configs_.setLocation(kWhere);
    EXPECT_TRUE(UploadToService(context_, UploadService::Cwop)) << "a verified login sends";
}

TEST(CwopSchedule, MinuteRuleOfTheStationNumber) {
    const auto at = [](int hour, int minute, int second = 0) {
        return sys_days{2024y / March / 5} + hours(hour) + minutes(minute) + seconds(second);
    };
    const struct {
        const char* station;
        int interval;
        int first;
        int every;
        system_clock::time_point last;
        system_clock::time_point next;
    } cases[] = {
        {"CW1234", 10, 4, 10, at(10, 4, 30), at(10, 14)},
        {"CW1234", 10, 4, 10, at(10, 56, 2), at(11, 4)},  // the hour starts afresh
        {"EW0010", 10, 0, 9, at(10, 54, 10), at(11, 0)},  // 6 minutes to the next hour
        {"DW0005", 0, 5, 11, at(10, 49, 0), at(11, 5)},
        {"K1ABC", 3, 1, 5, at(10, 59, 59), at(11, 6)},  // 11:01 is too soon
        {"FW0017", 90, 7, 60, at(10, 7, 9), at(11, 7)},
    };
    for (const auto& c : cases) {
        const CwopSlots slots = cwopSlots(c.station, c.interval);
        EXPECT_EQ(slots.firstMinute, c.first) << c.station;
        EXPECT_EQ(slots.interval, c.every) << c.station;
        EXPECT_EQ(nextCwopSlot(slots, c.last), c.next) << c.station;
    }
}

// The loop on virtual time: the first packet 7 s after the start, then one in each slot.
TEST_F(Cwop, LoopSendsInTheSlotsOnVirtualTime) {
    configure(testing::closedPort());
    configs_.setLocation({});  // each turn fails at once, without the network
    std::atomic<long> elapsed{0};
    const auto start = sys_days{2024y / March / 5} + 10h + 1min + 30s;
    context_.clock = [&] { return start + seconds(elapsed.load()); };
    // When each outcome is reported, in virtual seconds since the start.
    struct Timing : ViewEvents {
        const std::atomic<long>* elapsed = nullptr;
        std::vector<long> reportedAt;
        void send(ViewEvent) override { reportedAt.push_back(elapsed->load()); }
        void progress(const DownloadProgress&) override {}
    } timing;
    timing.elapsed = &elapsed;
    UploadContext timed(configs_, context_.currentReading, timing);
    timed.clock = context_.clock;
    timed.sleep = [&](std::stop_token, milliseconds) { return ++elapsed < 3600; };
    std::atomic<int> connected{1};
    CwopUploadLoop(timed, connected, {});
    // 10:01:37, then 10:14, 10:24, ... 10:54 (CW1234: minute 4, every 10).
    std::vector<long> expected{7};
    for (int minute = 14; minute <= 54; minute += 10) {
        expected.push_back(minute * 60 - 90);
    }
    EXPECT_EQ(timing.reportedAt, expected);
}

}  // namespace
}  // namespace nimbra
