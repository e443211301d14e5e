#include "config/status_texts.h"

#include <gtest/gtest.h>

#include "config/string_ids.h"

namespace nimbra {
namespace {

StringTable english() {
    std::string error;
    auto table = StringTable::load(std::string(NIMBRA_STRINGS_DIR) + "/en.txt", error);
    EXPECT_TRUE(table.has_value()) << error;
    return table.value_or(StringTable{});
}

TEST(StatusTexts, ProgressOfADownload) {
    const StringTable strings = english();
    EXPECT_EQ(progressText({true, 120, 54}, strings), "Data Reading:120 Compute Rain:45%");
    EXPECT_EQ(progressText({true, 3, 3}, strings), "Data Reading:3 Compute Rain:100%");
    // Nothing stored yet: no division by zero, no nonsense percentage.
    EXPECT_EQ(progressText({true, 0, 0}, strings), "Data Reading:0 Compute Rain:0%");
    EXPECT_EQ(progressText({false, 120, 120}, strings), "Complete");
}

TEST(StatusTexts, WhyAnUploadFailed) {
    const StringTable strings = english();
    using enum UploadFailure::Kind;
    const struct {
        UploadFailure why;
        const char* text;
    } cases[] = {
        {{httpStatus, {}, 401, "unauthorized"}, "The server answered HTTP 401: unauthorized"},
        {{httpStatus, {}, 503}, "The server answered HTTP 503"},
        {{notAccepted, {}, 200, "bad password"},
         "The server did not take the upload: bad password"},
        {{timedOut, "wow.example", 0, {}, {}, 20}, "No answer from wow.example within 20 seconds"},
        {{nameNotResolved, "wow.example"}, "The name wow.example does not resolve"},
        {{certificateRefused, "a.example:443", 0, {}, "unable to get issuer"},
         "The certificate of a.example:443 was refused: unable to get issuer"},
        {{cannotConnect, "a.example:81", 0, {}, "Connection refused"},
         "Cannot connect to a.example:81: Connection refused"},
        {{badServer, "bad host"}, "The server name bad host cannot be used"},
        {{other, {}, 0, {}, "Out of memory"}, "The upload failed: Out of memory"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(uploadFailureText(c.why, strings), c.text);
    }
}

TEST(StatusTexts, AStationFaultNamesWhatTheStationReported) {
    const StringTable strings = english();
    EXPECT_EQ(stationFaultText(StationFault::recordPointer, 1001, strings),
              "The station reports record position 1001, which is not a record: nothing was read.");
    EXPECT_EQ(stationFaultText(StationFault::recordCount, 65535, strings),
              "The station reports 65535 records, more than it can hold: nothing was read.");
    EXPECT_EQ(stationFaultText(StationFault::ambiguousKind, 336, strings),
              strings.text(kTextAmbiguousKind));
}

TEST(StatusTexts, EachNewsEventChangesItsPane) {
    const StringTable strings = english();
    struct Case {
        ViewEvent event;
        StatusPane pane;
        const char* text;
        PaneIcon icon;
    };
    const Case cases[] = {
        {ViewEvent::StationConnected, kUsbPane, "USB Connected", PaneIcon::none},
        {ViewEvent::StationMissing, kUsbPane, "USB Unconnected", PaneIcon::none},
        {ViewEvent::WundergroundSuccess, kWundergroundPane, "Success ", PaneIcon::success},
        {ViewEvent::WundergroundFailure, kWundergroundPane, "Failure", PaneIcon::failure},
        {ViewEvent::WundergroundOff, kWundergroundPane, "", PaneIcon::none},
        {ViewEvent::WowSuccess, kWowPane, "wow", PaneIcon::success},
        {ViewEvent::WowFailure, kWowPane, "wow", PaneIcon::failure},
        {ViewEvent::WowOff, kWowPane, "", PaneIcon::none},
        {ViewEvent::WeathercloudSuccess, kWeathercloudPane, "weathercloud", PaneIcon::success},
        {ViewEvent::WeathercloudFailure, kWeathercloudPane, "weathercloud", PaneIcon::failure},
        {ViewEvent::WeathercloudOff, kWeathercloudPane, "", PaneIcon::none},
    };
    for (const auto& c : cases) {
        const auto change = statusChangeFor(c.event, strings);
        ASSERT_TRUE(change.has_value()) << static_cast<int>(c.event);
        EXPECT_EQ(change->pane, c.pane);
        EXPECT_EQ(change->text, c.text);
        EXPECT_EQ(change->icon, c.icon);
    }
    for (ViewEvent request : {ViewEvent::WriteSettings, ViewEvent::ClearHistory,
                              ViewEvent::StationUnreadable, ViewEvent::DownloadProgress}) {
        EXPECT_FALSE(statusChangeFor(request, strings).has_value());
    }
}

}  // namespace
}  // namespace nimbra
