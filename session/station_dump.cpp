#include "session/station_dump.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <span>

#include "core/absent.h"
#include "station/fixed_block.h"
#include "station/kind_detection.h"
#include "station/memory_map.h"
#include "station/record_codec.h"

namespace nimbra {

namespace {

constexpr int kRetries = 10;

// A small writer for one JSON object per call, members in the order given.
class JsonObject {
public:
    explicit JsonObject(std::string& out) : m_out(out) { m_out += '{'; }
    ~JsonObject() { m_out += '}'; }
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    std::string& key(const char* name) {
        if (!m_first) {
            m_out += ',';
        }
        m_first = false;
        m_out += '"';
        m_out += name;
        m_out += "\":";
        return m_out;
    }
    void number(const char* name, double value) { key(name) += format(value); }
    void integer(const char* name, long long value) { key(name) += std::to_string(value); }
    void date(const char* name, double oleDate) { key(name) += dateText(oleDate); }

    // Readings are floats: their shortest exact text reads 21.7, not 21.70000076.
    static std::string format(double value) {
        if (!std::isfinite(value)) {
            return "null";
        }
        char buffer[32];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
        return std::string(buffer, result.ptr);
    }

    static std::string dateText(double oleDate) {
        const OleDate date(oleDate);
        const auto civil = date.toCivil();
        // 0 is where the extreme and alarm blocks keep no time at all.
        if (oleDate == static_cast<double>(kAbsent) || oleDate == 0.0 || !civil) {
            return "null";
        }
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "\"%04d-%02d-%02dT%02d:%02d:%02d\"", civil->year,
                      civil->month, civil->day, civil->hour, civil->minute, civil->second);
        return buffer;
    }

private:
    std::string& m_out;
    bool m_first = true;
};

void recordJson(std::string& out, const HistoryRecord& r) {
    JsonObject o(out);
    o.date("Time", r.Time);
    o.integer("Interval", r.Interval);
    o.number("InTemp", r.InTemp);
    o.integer("InHumi", r.InHumi);
    o.number("OutTemp", r.OutTemp);
    o.integer("OutHumi", r.OutHumi);
    o.number("RelPressure", r.RelPressure);
    o.number("AbsPressure", r.AbsPressure);
    o.number("Wind", r.Wind);
    o.number("Gust", r.Gust);
    o.integer("WindDirection", r.WindDirection);
    o.number("DewPoint", r.DewPoint);
    o.number("WindChill", r.WindChill);
    o.number("Rain", r.Rain);
    o.integer("Rcount", r.Rcount);
    o.number("Rain1", r.Rain1);
    o.number("Rain2", r.Rain2);
    o.number("Rain3", r.Rain3);
    o.number("Rain4", r.Rain4);
    o.number("Rain5", r.Rain5);
    o.number("Light", r.Light);
    o.integer("UV", r.UV);
}

template <typename T, std::size_t N, typename Write>
void arrayJson(std::string& out, const std::array<T, N>& values, Write write) {
    out += '[';
    for (std::size_t i = 0; i < N; ++i) {
        out += i == 0 ? "" : ",";
        write(values[i]);
    }
    out += ']';
}

}  // namespace

std::string stationJson(const CStationData& d) {
    std::string out;
    {
        JsonObject o(out);
        recordJson(o.key("Current"), d.m_Current);
        recordJson(o.key("Max"), d.m_Max);
        recordJson(o.key("Min"), d.m_Min);
        recordJson(o.key("AlarmHigh"), d.m_AlarmHigh);
        recordJson(o.key("AlarmLow"), d.m_AlarmLow);
        arrayJson(o.key("MaxTime"), d.m_MaxTime,
                  [&out](double v) { out += JsonObject::dateText(v); });
        arrayJson(o.key("MinTime"), d.m_MinTime,
                  [&out](double v) { out += JsonObject::dateText(v); });
        arrayJson(o.key("AlarmHighOn"), d.m_AlarmHighOn,
                  [&out](std::uint8_t v) { out += std::to_string(v); });
        arrayJson(o.key("AlarmLowOn"), d.m_AlarmLowOn,
                  [&out](std::uint8_t v) { out += std::to_string(v); });
        o.integer("AlarmHour", d.m_AlarmHour);
        o.integer("AlarmMinute", d.m_AlarmMinute);
        o.integer("TimeAlarmOn", d.m_TimeAlarmOn);
        o.integer("InTempUnit", d.InTempUnit);
        o.integer("OutTempUnit", d.OutTempUnit);
        o.integer("PressureUnit", d.PressureUnit);
        o.integer("RainUnit", d.RainUnit);
        o.integer("WindUnit", d.WindUnit);
        o.integer("LightUnit", d.LightUnit);
        o.integer("Interval", d.m_Interval);
        o.integer("Display1", d.m_Display1);
        o.integer("Display2", d.m_Display2);
        o.integer("TimeZone", d.m_TimeZone);
        o.number("RelPressure", d.m_RelPressure);
        o.number("AbsPressure", d.m_AbsPressure);
        o.integer("DataCount", d.m_DataCount);
        o.integer("CurrentPos", d.m_CurrentPos);
        o.integer("WindAlarmBeaufort", d.m_WindAlarmBeaufort);
        o.integer("GustAlarmBeaufort", d.m_GustAlarmBeaufort);
        o.integer("WindDirAlarmOn", d.m_WindDirAlarmOn);
        o.integer("Flags29", d.m_Flags29);
    }
    return out;
}

int dumpStation(link::StationConnection& link, std::FILE* out) {
    if (const link::LinkResult found = link.open(); !found.ok()) {
        std::fprintf(stderr, "nimbraplus: no station found\nnimbraplus: %s\n",
                     found.describe().c_str());
        return 1;
    }
    const auto unreadable = [](const link::LinkResult& read) {
        std::fprintf(stderr, "nimbraplus: the station cannot be read\nnimbraplus: %s\n",
                     read.describe().c_str());
        return 1;
    };
    std::array<std::uint8_t, memory_map::kFixedBlockSize> block{};
    for (std::size_t address = 0; address < block.size(); address += 32) {
        if (const link::LinkResult read =
                link.verifiedRead(static_cast<int>(address), block.data() + address, kRetries);
            !read.ok()) {
            return unreadable(read);
        }
    }
    CStationData data;
    decodeFixedBlock(FixedBlockBytes(block), data);
    // The records before the pointer tell the console's kind; near the ring start, where
    // they would have to be read from the end of memory, the fixed block alone does.
    std::array<std::uint8_t, kDetectionWindow> before{};
    const int windowStart = data.m_CurrentPos - kDetectionWindow;
    for (int offset = 0; windowStart >= memory_map::kRingStart && offset < kDetectionWindow;
         offset += 32) {
        if (const link::LinkResult read =
                link.verifiedRead(windowStart + offset, before.data() + offset, kRetries);
            !read.ok()) {
            return unreadable(read);
        }
    }
    data.m_Kind = detectStationKind(FixedBlockBytes(block), before).kind;
    if (!hasSolarSensor(data.m_Kind)) {
        forgetSolarFields(data);
    }
    std::array<std::uint8_t, 32> current{};
    if (const link::LinkResult read =
            link.verifiedRead(data.m_CurrentPos, current.data(), kRetries);
        !read.ok()) {
        return unreadable(read);
    }
    data.m_Current = decodeHistoryRecord(recordBytesOf(current.data(), data.m_Kind), data);
    data.m_Current.Time = OleDate::currentTime().value();
    std::fprintf(out, "%s\n", stationJson(data).c_str());
    return 0;
}

}  // namespace nimbra
