#include "emulator/station_model.h"

#include <algorithm>
#include <cmath>

#include "core/absent.h"
#include "core/byte_order.h"
#include "core/display_settings.h"
#include "core/units.h"
#include "station/field_codec.h"
#include "station/fixed_block.h"
#include "station/kind_detection.h"
#include "station/record_codec.h"

namespace nimbra::emulator {

namespace {

namespace map = memory_map;
namespace fx = memory_map::fixed;

constexpr float kRainPerTip = 0.3f;
constexpr float kFactoryPressureOffset = 12.5f;  // a console some hundred metres up
constexpr int kLongestInterval = 240;
// What a console with the solar sensor holds as its light coefficient; one without holds 0.
constexpr std::uint8_t kFactoryLightCoefficient = 10;

CivilTime startTimeOf(const StationModelOptions& options) {
    if (options.startTime) {
        return *options.startTime;
    }
    CivilTime now = OleDate::currentTime().toCivil().value_or(CivilTime{2024, 1, 1});
    now.second = 0;
    return now;
}

double initialPressure(std::uint32_t seed) {
    return 994.0 + static_cast<double>(seed % 17);
}

float rainOf(int tips) {
    return static_cast<float>(tips * static_cast<double>(kRainPerTip));
}

// A derived value as its signed tenths field will hold it, so that comparing it with the
// stored extreme does not see a difference the field cannot keep.
float asStored(float value) {
    std::array<std::uint8_t, 2> field{};
    encodeS16Tenths(field.data(), value);
    return decodeS16Tenths(field.data());
}

// The maximum as a console keeps it: a new high, or the first reading since the value
// was last reset, takes the value and the time.
template <typename T>
void raise(T& maximum, double& time, T value, double now) {
    if (!isAbsent(value) && (isAbsent(maximum) || value > maximum || time == 0.0)) {
        maximum = value;
        time = now;
    }
}

template <typename T>
void lower(T& minimum, double& time, T value, double now) {
    if (!isAbsent(value) && (isAbsent(minimum) || value < minimum || time == 0.0)) {
        minimum = value;
        time = now;
    }
}

// The readings a stored record holds, so that the console can carry on from a saved
// memory as if it had taken them itself.
WeatherSample sampleOf(const HistoryRecord& r) {
    WeatherSample s;
    s.inTemp = r.InTemp;
    s.inHumi = r.InHumi;
    s.outTemp = r.OutTemp;
    s.outHumi = r.OutHumi;
    s.absPressure = r.AbsPressure;
    s.wind = r.Wind;
    s.gust = r.Gust;
    s.directionSector = r.WindDirection;
    s.light = r.Light;
    s.uv = r.UV;
    s.outdoorContact = r.Rcount != -1;
    return s;
}

}  // namespace

StationModel::StationModel(const StationModelOptions& options)
    : m_steadyNow(options.steadyNow),
      m_speed(options.speed),
      m_lastTick(steadyNow()),
      m_clock(startTimeOf(options)),
      m_weather(options.seed, initialPressure(options.seed)),
      m_rainCounter(std::clamp(options.rainCounter, 0, kMaxRainCount)),
      m_kind(options.kind),
      m_interval(std::clamp(options.intervalMinutes, 1, kLongestInterval)),
      m_logCompleted(options.logCompletedRecords),
      m_pressureOffset(kFactoryPressureOffset),
      m_commitDelay(std::max(Clock::duration::zero(), Clock::duration(options.commitDelay))) {
    const std::lock_guard lock(m_mutex);
    m_memory.fill(0xFF);  // flash that was never written
    writeFactorySettingsLocked(initialPressure(options.seed));

    // More records than the ring holds wrap it; only the last lap can show.
    const int records = std::max(0, options.records);
    const int ringRecords = ringLocked().records;
    const bool wrapped = options.wrapped || records >= ringRecords;
    const std::int64_t complete = records % ringRecords + (wrapped ? ringRecords : 0);
    // The oldest record starts at minute 0; one minute more than the complete records
    // take leaves the record being filled a minute old, so that the newest complete record
    // has settled, where the interval is long enough for the count to show it.
    const std::int64_t minutes = complete * m_interval + (m_interval > 1 ? 1 : 0);
    m_clock.rewind(minutes);
    for (std::int64_t i = 0; i < minutes; ++i) {
        stepMinuteLocked();
    }
}

void StationModel::writeFactorySettingsLocked(double absPressure) {
    CStationData s;
    s.m_Interval = m_interval;
    s.LightUnit = kLux;
    for (int option = 0; option < kDisplaySettingCount; ++option) {
        SetDisplaySetting(s, option, 0);
    }
    s.m_AbsPressure = static_cast<float>(absPressure);
    s.m_RelPressure = s.m_AbsPressure + m_pressureOffset;
    s.m_DataCount = m_count;
    s.m_CurrentPos = m_currentPos;

    HistoryRecord& high = s.m_AlarmHigh;
    HistoryRecord& low = s.m_AlarmLow;
    high.InHumi = 65;
    low.InHumi = 35;
    high.InTemp = 30.0f;
    low.InTemp = 10.0f;
    high.OutHumi = 90;
    low.OutHumi = 20;
    high.OutTemp = 35.0f;
    low.OutTemp = -10.0f;
    high.WindChill = 30.0f;
    low.WindChill = -15.0f;
    high.DewPoint = 20.0f;
    low.DewPoint = -10.0f;
    high.AbsPressure = high.RelPressure = 1040.0f;
    low.AbsPressure = low.RelPressure = 960.0f;
    s.m_WindAlarmBeaufort = 6;
    high.Wind = 13.8f;
    s.m_GustAlarmBeaufort = 8;
    high.Gust = 20.7f;
    high.WindDirection = 0;
    high.Rain1 = 10.0f;
    high.Rain2 = 50.0f;
    high.Light = 100000.0f;
    high.UV = 8;
    s.m_AlarmHour = 7;
    s.m_AlarmMinute = 0;
    // Rain maxima of the month and the total have no "none" pattern: they start at zero.
    s.m_Max.Rain4 = s.m_Max.Rain5 = 0.0f;
    if (!hasSolarSensor(m_kind)) {
        forgetSolarFields(s);
    }

    auto block = fixedBlockLocked();
    std::fill(block.begin(), block.end(), std::uint8_t{0});
    encodeFixedBlock(s, block);
    block[fx::kLightCoefficient] = hasSolarSensor(m_kind) ? kFactoryLightCoefficient : 0;
    std::copy(block.begin(), block.end(), m_memory.begin());
}

StationModel::Clock::time_point StationModel::steadyNow() const {
    return m_steadyNow ? m_steadyNow() : Clock::now();
}

std::array<std::uint8_t, map::kFixedBlockSize> StationModel::fixedBlockLocked() const {
    std::array<std::uint8_t, map::kFixedBlockSize> block;
    std::copy_n(m_memory.begin(), block.size(), block.begin());
    return block;
}

void StationModel::mergeFixedBlockLocked(
    const std::array<std::uint8_t, map::kFixedBlockSize>& block) {
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (!m_pendingWrites.test(i)) {
            m_memory[i] = block[i];
        }
    }
}

void StationModel::catchUpLocked() {
    clearCommitWhenDueLocked();
    if (m_speed <= 0.0) {
        return;
    }
    const std::chrono::duration<double> minute(60.0 / m_speed);
    const auto due = std::floor((steadyNow() - m_lastTick) / minute);
    if (due < 1.0) {
        return;
    }
    m_lastTick += std::chrono::duration_cast<Clock::duration>(minute * due);
    for (auto i = static_cast<std::int64_t>(due); i > 0; --i) {
        stepMinuteLocked();
    }
}

void StationModel::stepMinuteLocked() {
    // Whatever the console was still writing is done by its next minute.
    m_recordWrite.reset();
    m_clock.tick();
    const CivilTime now = m_clock.civil();
    m_sample = m_weather.next(now);
    // The gauge's counter runs through the overflow bit, then starts again.
    m_rainCounter = (m_rainCounter + m_sample.rainTips) % (kMaxRainCount + 1);
    m_rain.addMinute(now, m_sample.rainTips);

    if (++m_minutesInRecord >= m_interval && m_minutesInRecord > 0) {
        // The record closes with its full interval and the latest readings; with torn
        // writes those land only after the pointer has moved on.
        writeCurrentRecordLocked();
        if (m_recordWriteTime > Clock::duration::zero()) {
            m_recordWrite = RecordWrite{m_currentPos, m_recordBeforeUpdate, steadyNow()};
        }
        startNextRecordLocked();
    }
    writeCurrentRecordLocked();

    auto block = fixedBlockLocked();
    decodeFixedBlock(block, m_console);
    const HistoryRecord reading = decodeHistoryRecord(recordBytesOf(currentRecordLocked(), m_kind),
                                                      relativePressureOffset(m_console))
                                      .record;
    updateExtremesLocked(reading);
    encodeExtremes(m_console, block);
    mergeFixedBlockLocked(block);
    writeStatusLocked(reading.AbsPressure);
}

void StationModel::startNextRecordLocked() {
    if (m_logCompleted) {
        CompletedRecord& done = m_completed.emplace_back();
        done.number = m_completed.size();
        done.address = m_currentPos;
        done.kind = m_kind;
        std::copy_n(currentRecordLocked(), recordSizeLocked(), done.bytes.begin());
    }
    m_currentPos = ringLocked().nextRecordAddress(m_currentPos);
    m_count = std::min(m_count + 1, ringLocked().records);
    m_minutesInRecord = 0;
    ++m_recordsStarted;
}

void StationModel::writeCurrentRecordLocked() {
    std::copy_n(currentRecordLocked(), recordSizeLocked(), m_recordBeforeUpdate.begin());
    const WeatherSample& s = m_sample;
    HistoryRecord r;
    r.Interval = m_minutesInRecord;
    r.InHumi = s.inHumi;
    r.InTemp = static_cast<float>(s.inTemp);
    r.OutHumi = s.outHumi;
    r.OutTemp = static_cast<float>(s.outTemp);
    r.AbsPressure = static_cast<float>(s.absPressure);
    r.Wind = static_cast<float>(s.wind);
    r.Gust = static_cast<float>(s.gust);
    r.WindDirection = s.directionSector;
    r.Rcount = m_rainCounter;
    r.Light = static_cast<float>(s.light);
    r.UV = s.uv;
    encodeHistoryRecord(r, s.outdoorContact ? OutdoorSensor::inContact : OutdoorSensor::noContact,
                        recordBytesOf(currentRecordLocked(), m_kind));
}

void StationModel::updateExtremesLocked(const HistoryRecord& r) {
    CStationData& s = m_console;
    const double now = m_clock.oleDate();
    auto& maxTime = s.m_MaxTime;
    auto& minTime = s.m_MinTime;
    raise(s.m_Max.InTemp, maxTime[kSlotInTemp], r.InTemp, now);
    lower(s.m_Min.InTemp, minTime[kSlotInTemp], r.InTemp, now);
    raise(s.m_Max.InHumi, maxTime[kSlotInHumi], r.InHumi, now);
    lower(s.m_Min.InHumi, minTime[kSlotInHumi], r.InHumi, now);
    raise(s.m_Max.OutTemp, maxTime[kSlotOutTemp], r.OutTemp, now);
    lower(s.m_Min.OutTemp, minTime[kSlotOutTemp], r.OutTemp, now);
    raise(s.m_Max.OutHumi, maxTime[kSlotOutHumi], r.OutHumi, now);
    lower(s.m_Min.OutHumi, minTime[kSlotOutHumi], r.OutHumi, now);
    raise(s.m_Max.RelPressure, maxTime[kSlotRelPressure], r.RelPressure, now);
    lower(s.m_Min.RelPressure, minTime[kSlotRelPressure], r.RelPressure, now);
    raise(s.m_Max.AbsPressure, maxTime[kSlotAbsPressure], r.AbsPressure, now);
    lower(s.m_Min.AbsPressure, minTime[kSlotAbsPressure], r.AbsPressure, now);
    raise(s.m_Max.Wind, maxTime[kSlotWind], r.Wind, now);
    raise(s.m_Max.Gust, maxTime[kSlotGust], r.Gust, now);
    const float windChill = asStored(r.WindChill);
    const float dewPoint = asStored(r.DewPoint);
    raise(s.m_Max.WindChill, maxTime[kSlotWindChill], windChill, now);
    lower(s.m_Min.WindChill, minTime[kSlotWindChill], windChill, now);
    raise(s.m_Max.DewPoint, maxTime[kSlotDewPoint], dewPoint, now);
    lower(s.m_Min.DewPoint, minTime[kSlotDewPoint], dewPoint, now);
    raise(s.m_Max.Rain1, maxTime[kSlotRainHour], rainOf(m_rain.hour()), now);
    raise(s.m_Max.Rain2, maxTime[kSlotRainDay], rainOf(m_rain.day()), now);
    raise(s.m_Max.Rain3, maxTime[kSlotRainWeek], rainOf(m_rain.week()), now);
    raise(s.m_Max.Rain4, maxTime[kSlotRainMonth], rainOf(m_rain.month()), now);
    raise(s.m_Max.Rain5, maxTime[kSlotRainTotal], rainOf(m_rain.total()), now);
    raise(s.m_Max.Light, maxTime[kSlotLight], r.Light, now);
    raise(s.m_Max.UV, maxTime[kSlotUV], r.UV, now);
}

void StationModel::writeStatusLocked(float absPressure) {
    auto block = fixedBlockLocked();
    m_console.m_DataCount = m_count;
    m_console.m_CurrentPos = m_currentPos;
    m_console.m_AbsPressure = absPressure;
    encodeStatus(m_console, block);
    // The console shows relative pressure as the absolute one plus the user's offset.
    encodeU16Tenths(&block[fx::kRelPressure],
                    isAbsent(absPressure) ? kAbsent : absPressure + m_pressureOffset);
    mergeFixedBlockLocked(block);
}

void StationModel::readBlock(std::uint16_t address, std::uint8_t* out) {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    for (std::uint32_t i = 0; i < kBlockSize; ++i) {
        out[i] = m_memory[(address + i) % map::kMemorySize];
    }
    showUnwrittenBytesLocked(address, out);
    showReportedStatusLocked(address, out);
}

void StationModel::showReportedStatusLocked(std::uint16_t address, std::uint8_t* out) const {
    const auto show = [&](std::uint16_t field, const std::optional<std::uint16_t>& value) {
        if (!value) {
            return;
        }
        for (std::uint16_t i = 0; i < 2; ++i) {
            const std::size_t offset = (field + i + map::kMemorySize - address) % map::kMemorySize;
            if (offset < kBlockSize) {
                out[offset] = static_cast<std::uint8_t>(*value >> (8 * i));
            }
        }
    };
    show(fx::kCurrentPos, m_reportedPointer);
    show(fx::kDataCount, m_reportedCount);
}

void StationModel::setReportedStatus(std::optional<std::uint16_t> pointer,
                                     std::optional<std::uint16_t> count) {
    const std::lock_guard lock(m_mutex);
    m_reportedPointer = pointer;
    m_reportedCount = count;
}

void StationModel::showUnwrittenBytesLocked(std::uint16_t address, std::uint8_t* out) {
    if (!m_recordWrite) {
        return;
    }
    const auto elapsed = std::max(Clock::duration::zero(), steadyNow() - m_recordWrite->start);
    if (elapsed >= m_recordWriteTime) {
        m_recordWrite.reset();
        return;
    }
    const auto size = static_cast<std::size_t>(recordSizeLocked());
    const auto written = static_cast<std::size_t>(elapsed.count() * static_cast<Clock::rep>(size) /
                                                  m_recordWriteTime.count());
    for (std::size_t i = written; i < size; ++i) {
        const std::size_t offset =
            (m_recordWrite->address + i + map::kMemorySize - address) % map::kMemorySize;
        if (offset < kBlockSize) {
            out[offset] = m_recordWrite->before[i];
        }
    }
}

void StationModel::setTornWrites(std::chrono::milliseconds duration) {
    const std::lock_guard lock(m_mutex);
    m_recordWriteTime = std::max(Clock::duration::zero(), Clock::duration(duration));
    if (m_recordWriteTime == Clock::duration::zero()) {
        m_recordWrite.reset();
    }
}

void StationModel::writeBlock(std::uint16_t address, const std::uint8_t* data) {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    bool commit = false;
    for (std::uint32_t i = 0; i < kBlockSize; ++i) {
        const auto target = static_cast<std::uint16_t>((address + i) % map::kMemorySize);
        applyWriteLocked(target, data[i]);
        commit = commit || (target == fx::kCommit && data[i] == map::kCommitValue);
    }
    if (commit) {
        commitLocked();
    }
}

void StationModel::writeByte(std::uint16_t address, std::uint8_t value) {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    applyWriteLocked(address, value);
    if (address == fx::kCommit && value == map::kCommitValue) {
        commitLocked();
    }
}

void StationModel::applyWriteLocked(std::uint16_t address, std::uint8_t value) {
    m_memory[address] = value;
    if (address < map::kFixedBlockSize && address != fx::kCommit) {
        m_pendingWrites.set(address);
    }
}

// What the console does with a finished change: a record count of zero clears the
// history, a new interval applies from the record being filled, and a new relative
// pressure sets the offset it keeps to the absolute one. Everything else written simply
// stays in memory, where the console reads its settings and alarms from.
void StationModel::commitLocked() {
    const auto written = m_pendingWrites;
    m_pendingWrites.reset();
    m_commitClearAt = steadyNow() + m_commitDelay;
    clearCommitWhenDueLocked();

    if ((written.test(fx::kDataCount) || written.test(fx::kDataCount + 1)) &&
        loadLe16(&m_memory[fx::kDataCount]) == 0) {
        clearHistoryLocked();
    }
    if (written.test(fx::kInterval)) {
        const int interval = m_memory[fx::kInterval];
        if (interval >= 1 && interval <= kLongestInterval) {
            m_interval = interval;
        } else {
            m_memory[fx::kInterval] = static_cast<std::uint8_t>(m_interval);
        }
    }
    const float absolute = decodeU16Tenths(&m_memory[fx::kAbsPressure]);
    if (written.test(fx::kRelPressure) || written.test(fx::kRelPressure + 1)) {
        const float relative = decodeU16Tenths(&m_memory[fx::kRelPressure]);
        if (!isAbsent(relative) && !isAbsent(absolute)) {
            m_pressureOffset = relative - absolute;
        }
    }
    writeStatusLocked(absolute);
}

// The commit byte goes back to zero once the console has taken the change, which the PC
// waits for before it reads the station back.
void StationModel::clearCommitWhenDueLocked() {
    if (m_commitClearAt && steadyNow() >= *m_commitClearAt) {
        m_commitClearAt.reset();
        m_memory[fx::kCommit] = 0x00;
    }
}

void StationModel::clearHistoryLocked() {
    m_recordWrite.reset();
    m_currentPos = map::kRingStart;
    m_count = 1;
    m_minutesInRecord = 0;
    writeCurrentRecordLocked();
    writeStatusLocked(decodeU16Tenths(&m_memory[fx::kAbsPressure]));
}

void StationModel::advanceMinutes(int minutes) {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    for (int i = 0; i < minutes; ++i) {
        stepMinuteLocked();
    }
}

CivilTime StationModel::stationTime() {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    return m_clock.civil();
}

StationKind StationModel::kind() {
    const std::lock_guard lock(m_mutex);
    return m_kind;
}

std::array<std::uint8_t, map::kMemorySize> StationModel::image() {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    return m_memory;
}

ImageStatus StationModel::loadImage(const std::string& path) {
    std::array<std::uint8_t, map::kMemorySize> loaded;
    if (ImageStatus status = readImageFile(path, loaded); !status) {
        return status;
    }
    const std::uint16_t position = loadLe16(&loaded[fx::kCurrentPos]);
    const KindDetection detection = detectStationKind(
        FixedBlockBytes(loaded.data(), map::kFixedBlockSize), detectionWindowOf(loaded, position));
    if (detection.outcome == KindDetection::Outcome::neither) {
        return ImageStatus::failure(path + " is not a station image: " + std::to_string(position) +
                                    " is not the address of a history record");
    }

    const std::lock_guard lock(m_mutex);
    if (detection.outcome == KindDetection::Outcome::decided) {
        m_kind = detection.kind;
    }
    if (!ringLocked().isRecordAddress(position)) {
        return ImageStatus::failure(path + " is not a station image of " +
                                    std::to_string(recordSizeLocked()) + "-byte records");
    }
    m_memory = loaded;
    m_pendingWrites.reset();
    m_recordWrite.reset();
    m_currentPos = position;
    m_count = std::clamp<int>(loadLe16(&m_memory[fx::kDataCount]), 1, ringLocked().records);
    const int interval = m_memory[fx::kInterval];
    if (interval >= 1 && interval <= kLongestInterval) {
        m_interval = interval;
    } else {
        m_memory[fx::kInterval] = static_cast<std::uint8_t>(m_interval);
    }
    m_minutesInRecord = std::clamp<int>(m_memory[m_currentPos], 0, m_interval - 1);

    decodeFixedBlock(fixedBlockLocked(), m_console);
    const HistoryRecord current =
        decodeHistoryRecord(recordBytesOf(currentRecordLocked(), m_kind), 0.0f).record;
    m_sample = sampleOf(current);
    if (current.Rcount >= 0) {
        m_rainCounter = current.Rcount;
    }
    if (!isAbsent(current.AbsPressure)) {
        m_weather.setPressure(current.AbsPressure);
    }
    if (const float offset = relativePressureOffset(m_console); !isAbsent(offset)) {
        m_pressureOffset = offset;
    }
    m_lastTick = steadyNow();
    writeStatusLocked(current.AbsPressure);
    return {};
}

ImageStatus StationModel::saveImage(const std::string& path) {
    const auto memory = image();
    return writeImageFile(path, memory);
}

RainTotals StationModel::rainTotals() {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    return m_rain;
}

void StationModel::setRainTotals(const RainTotals& totals) {
    const std::lock_guard lock(m_mutex);
    m_rain = totals;
}

bool StationModel::corruptRecord(int age, RecordCorruption corruption) {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    if (age < 1 || age >= m_count) {
        return false;
    }
    const auto address = static_cast<std::uint16_t>(ringLocked().stepRecords(m_currentPos, -age));
    std::uint8_t* record = &m_memory[address];
    // The complete records behind the pointer are the newest ones in the log.
    if (m_completed.size() >= static_cast<std::size_t>(age) &&
        m_completed[m_completed.size() - static_cast<std::size_t>(age)].address == address) {
        m_completed[m_completed.size() - static_cast<std::size_t>(age)].corrupted = true;
    }
    switch (corruption) {
        case RecordCorruption::kInvalidInterval:
            record[map::record::kInterval] = 0;
            break;
        case RecordCorruption::kOutOfRange:
            record[map::record::kInHumi] = 0;
            storeLe16(&record[map::record::kInTemp], 999);
            storeLe16(&record[map::record::kAbsPressure], 0);
            break;
    }
    return true;
}

std::vector<CompletedRecord> StationModel::completedRecords(std::size_t first) {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    if (first >= m_completed.size()) {
        return {};
    }
    return {m_completed.begin() + static_cast<std::ptrdiff_t>(first), m_completed.end()};
}

void StationModel::wrapRing() {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    const int index = ringLocked().ringIndex(m_currentPos);
    const std::uint64_t target = m_recordsStarted + (ringLocked().records - index) + index / 2;
    while (m_recordsStarted < target) {
        stepMinuteLocked();
    }
}

void StationModel::clearHistory() {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    clearHistoryLocked();
}

void StationModel::loseOutdoorContact(int minutes) {
    const std::lock_guard lock(m_mutex);
    catchUpLocked();
    m_weather.loseContact(minutes);
}

}  // namespace nimbra::emulator
