#include "upload/upload_loops.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/recording_view_events.h"
#include "tests/support/sample_records.h"
#include "tests/support/test_http_server.h"
#include "upload/upload_threads.h"

namespace nimbra {
namespace {

using namespace std::chrono_literals;
using testing::RecordingViewEvents;
using testing::TestHttpServer;

class UploadLoops : public ::testing::Test {
protected:
    UploadLoops() {
        context_.send.connectTimeout = 1000ms;
        context_.send.replyTimeout = 1000ms;
    }

    void configure(UploadService service, std::uint16_t port, const char* autosend = "1") {
        UploadServiceConfig c;
        c.m_Server = "127.0.0.1";
        c.m_ServerPort = std::to_string(port);
        c.m_StationID = "site";
        c.m_Password = "key";
        c.m_Autosend = autosend;
        configs_.set(service, c);
    }

    UploadConfigStore configs_;
    RecordingViewEvents events_;
    UploadContext context_{configs_, [] { return testing::sampleReading(); }, events_};
    std::atomic<int> connected_{1};
};

TEST_F(UploadLoops, NothingHappensWhileTheStationIsAway) {
    connected_ = 0;
    configure(UploadService::Wow, testing::closedPort());
    runUploadLoop(context_, UploadService::Wow, {0, 0, 0, 1ms}, connected_, {});
    EXPECT_TRUE(events_.events().empty());
}

TEST_F(UploadLoops, RetriesAfterFailuresAndEndsWhenTheStationGoes) {
    configure(UploadService::Weathercloud, testing::closedPort());
    std::jthread loop([this](std::stop_token stop) {
        runUploadLoop(context_, UploadService::Weathercloud, {6, 1000, 2, 1ms}, connected_, stop);
    });
    const auto events = events_.waitForEvents(3, 10s);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], ViewEvent::WeathercloudFailure);
    connected_ = 0;
    loop.join();  // ends by itself once the flag is clear
}

TEST_F(UploadLoops, SuccessWaitsTheLongIntervalUntilStopped) {
    TestHttpServer server(TestHttpServer::reply("HTTP/1.1 200 OK\r\n\r\n"));
    configure(UploadService::Wow, server.port());
    std::jthread loop([this](std::stop_token stop) {
        runUploadLoop(context_, UploadService::Wow, {2, 100'000, 0, 1ms}, connected_, stop);
    });
    EXPECT_EQ(events_.waitForEvents(1, 10s), std::vector{ViewEvent::WowSuccess});
    loop.request_stop();
    loop.join();
    EXPECT_EQ(server.requests().size(), 1u);
}

// The program's schedules on virtual time: the first upload 7 s after the start, then
// one more second than the wait after each outcome, and a 429 holds the service off
// for at least its Retry-After (200 s): the turns that fall within it contact nobody.
TEST_F(UploadLoops, RealSchedulesOnVirtualTime) {
    const struct {
        UploadService service;
        void (*loop)(const UploadContext&, const std::atomic<int>&, std::stop_token);
        std::vector<long> contacted;  // virtual seconds
    } loops[] = {
        {UploadService::Wow, WowUploadLoop, {7, 313, 374, 618, 924}},
        {UploadService::Weathercloud, WeathercloudUploadLoop, {7, 613, 674, 918, 1524}},
        // Windy's and OpenWeatherMap's: never more often than every 5 minutes, failures
        // included (here over plain HTTP: those two services speak only TLS).
        {UploadService::Wow,
         [](const UploadContext& context, const std::atomic<int>& connected, std::stop_token stop) {
             runUploadLoop(context, UploadService::Wow, kFiveMinuteSchedule, connected, stop);
         },
         {7, 307, 607, 907, 1207}},
    };
    for (const auto& l : loops) {
        std::atomic<long> now{0};  // virtual milliseconds since the loop started
        std::mutex mutex;
        std::vector<long> contacted;
        const std::string ok = l.service == UploadService::Weathercloud
                                   ? "HTTP/1.1 200 OK\r\n\r\n200"
                                   : "HTTP/1.1 200 OK\r\n\r\n";
        const std::string replies[] = {ok, "HTTP/1.1 500 Internal Server Error\r\n\r\n200",
                                       "HTTP/1.1 429 Too Many Requests\r\nRetry-After: 200\r\n\r\n",
                                       ok, ok};
        TestHttpServer server([&](int fd, const std::atomic<bool>&) {
            const std::lock_guard lock(mutex);
            contacted.push_back(now.load() / 1000);
            testing::writeAll(fd, replies[std::min(contacted.size(), std::size(replies)) - 1]);
        });
        configure(l.service, server.port());
        context_.holdOff = std::make_shared<UploadHoldOff>();  // no pause left from before
        const auto start = std::chrono::system_clock::now();
        context_.clock = [&] { return start + std::chrono::milliseconds(now.load()); };
        const long end = l.contacted.back() + 1;
        context_.sleep = [&](std::stop_token, std::chrono::milliseconds d) {
            now += d.count();
            return now.load() / 1000 < end;
        };
        l.loop(context_, connected_, {});

        const std::lock_guard lock(mutex);
        EXPECT_EQ(contacted, l.contacted) << "service " << static_cast<int>(l.service);
    }
}

TEST_F(UploadLoops, ProgramLoopsStopPromptlyAtShutdown) {
    configure(UploadService::Wow, 0, "0");
    configure(UploadService::Weathercloud, 0, "0");
    {
        UploadThreads threads(context_, connected_);
        threads.startLoops();
        threads.startLoops();  // the running loops carry on; no second pair
        // Both loops report "off" on their first turn, about seven seconds in; stopping
        // before that must not wait for it.
    }
    EXPECT_TRUE(events_.events().empty());
}

TEST_F(UploadLoops, OneOffUploadRunsOnItsOwnThread) {
    TestHttpServer server(TestHttpServer::reply("HTTP/1.0 200 OK\r\n\r\nsuccess"));
    configure(UploadService::WeatherUnderground, server.port());
    UploadThreads threads(context_, connected_);
    threads.uploadToWeatherUnderground();
    EXPECT_EQ(events_.waitForEvents(1, 10s), std::vector{ViewEvent::WundergroundSuccess});
    threads.uploadToWeatherUnderground();
    EXPECT_EQ(events_.waitForEvents(2, 10s).size(), 2u);
    threads.stopAll();
    threads.uploadToWeatherUnderground();  // ignored after the stop
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(UploadLoops, StartWhileTheServiceIsBusyIsDropped) {
    // The reply comes after a pause, long enough for the second start to find it busy.
    TestHttpServer server(
        TestHttpServer::replyInTwoParts("", "HTTP/1.0 200 OK\r\n\r\nsuccess", 100ms));
    configure(UploadService::WeatherUnderground, server.port());
    UploadThreads threads(context_, connected_);
    threads.uploadToWeatherUnderground();
    server.waitForRequests(1, 10s);
    threads.uploadToWeatherUnderground();
    EXPECT_EQ(events_.waitForEvents(2, 1500ms), std::vector{ViewEvent::WundergroundSuccess});
    EXPECT_EQ(server.requests().size(), 1u);
}

}  // namespace
}  // namespace nimbra
