#include "acquisition/acquisition.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "acquisition/rain_totals.h"
#include "core/byte_order.h"
#include "core/temp_record_file.h"
#include "station/download_plan.h"
#include "station/fixed_block.h"
#include "station/kind_detection.h"
#include "station/memory_map.h"
#include "station/record_codec.h"
#include "store/error_sink.h"
#include "store/stored_records.h"

namespace nimbra {

namespace {

// The memory layout in the signed arithmetic of station addresses.
constexpr int kRingStart = memory_map::kRingStart;
constexpr int kFixedBlockSize = static_cast<int>(memory_map::kFixedBlockSize);

constexpr int kFixedBlockRetries = 10;
constexpr int kWindowRetries = 3;
constexpr int kLongestInterval = 240;
// Newest stored records a re-anchored batch must repeat, in order, to take their times.
constexpr int kAlignRecords = 3;
constexpr int kBlockSize = static_cast<int>(memory_map::kBlockSize);
constexpr auto kInvalidRecordPause = std::chrono::milliseconds(20);

// A full disk usually shows here first, as the records wait in the temporary file before
// the database sees them; it is told like the database's own failures.
constexpr char kTempFileFailure[] = "Cannot write the temporary file of the download.";

using FixedBlockBuffer = std::array<std::uint8_t, memory_map::kFixedBlockSize>;
using link::LinkResult;
using link::LinkStatus;

LinkResult storeFailure() {
    return LinkResult::failure(LinkStatus::io, "the record store failed");
}

LinkResult tempFileFailure() {
    return LinkResult::failure(LinkStatus::io, kTempFileFailure);
}

class Run {
public:
    Run(CStationData& data, AcquisitionContext& context) : d(data), ctx(context) {}

    LinkResult execute();

private:
    // Remembers why the run ends early; false, for the caller to return.
    bool fail(LinkResult why) {
        m_failure = std::move(why);
        return false;
    }

    bool readFixedBlock(FixedBlockBuffer& block);
    bool readRingBefore(int pointer, std::span<std::uint8_t, kDetectionWindow> out);
    bool decideKind(const FixedBlockBuffer& block);
    bool plausible(const FixedBlockBuffer& block);
    const memory_map::RingLayout& ring() const { return memory_map::ringLayout(d.m_Kind); }
    const std::uint8_t* recordBytes(int address, bool again);
    bool readRunBlock(std::size_t offset);
    bool readCurrentRecord();
    void planDownload(bool lapped);
    enum class DownloadEnd { complete, linkLost, failed };
    DownloadEnd download(TempRecordFile& file);
    void stamp(HistoryRecord& record);
    void skipInvalid(const HistoryRecord& record);
    bool dropRewritten(std::optional<TempRecordFile>& file);
    struct StoredTimeline {
        std::int64_t shiftMinutes = 0;
        std::size_t readAgain = 0;  // leading records of the batch that repeat stored ones
    };
    std::optional<StoredTimeline> storedTimeline(const TempRecordFile& file);
    bool store(const TempRecordFile& file, const StoredTimeline& timeline);
    void reportProgress() {
        ctx.events.progress({d.m_Reading != 0, d.m_StoredCount, d.m_RainDoneCount, m_toStore});
    }
    bool cancelled() const { return ctx.cancel != nullptr && ctx.cancel->load(); }

    CStationData& d;
    AcquisitionContext& ctx;
    int m_start = kRingStart;
    int m_toStore = 0;
    // The newest complete record was left to the next run: the console may still be
    // writing it.
    bool m_newestLeft = false;
    // The ring as read so far in this stretch of consecutive blocks.
    int m_runStart = -1;
    int m_runEnd = 0;
    std::vector<std::uint8_t> m_run;
    std::vector<int> m_addresses;  // where each downloaded record was read
    LinkResult m_failure = storeFailure();
};

bool Run::readFixedBlock(FixedBlockBuffer& block) {
    if (LinkResult read = ctx.link.verifiedRead(0, block.data(), kFixedBlockRetries); !read.ok()) {
        d.m_ReadFailed = 1;
        return fail(std::move(read));
    }
    for (int address = 32; address < kFixedBlockSize; address += 32) {
        if (LinkResult read =
                ctx.link.verifiedRead(address, block.data() + address, kFixedBlockRetries);
            !read.ok()) {
            return fail(std::move(read));
        }
    }
    d.m_ReadFailed = 0;
    return true;
}

// The ring bytes before `pointer`, going on from the end of memory before the ring start.
bool Run::readRingBefore(int pointer, std::span<std::uint8_t, kDetectionWindow> out) {
    const int ringEnd = static_cast<int>(memory_map::kMemorySize);
    int address = pointer - kDetectionWindow;
    if (address < kRingStart) {
        address += ringEnd - kRingStart;
    }
    std::array<std::uint8_t, memory_map::kBlockSize> block{};
    for (int done = 0; done < kDetectionWindow;) {
        if (LinkResult read = ctx.link.verifiedRead(address, block.data(), kFixedBlockRetries);
            !read.ok()) {
            return fail(std::move(read));
        }
        const int taken = std::min({kBlockSize, kDetectionWindow - done, ringEnd - address});
        std::copy_n(block.begin(), taken, out.begin() + done);
        done += taken;
        address += taken;
        if (address == ringEnd) {
            address = kRingStart;
        }
    }
    return true;
}

// Which console the station is: the setting's, else the one detected since it connected,
// else detected now. A station that could be either is not read: its records decoded
// with the wrong size would be stored as readings it never took.
bool Run::decideKind(const FixedBlockBuffer& block) {
    if (ctx.stationModel) {
        d.m_Kind = *ctx.stationModel;
        return true;
    }
    if (ctx.detectedKind != nullptr && ctx.detectedKind->load() != kKindUnknown) {
        d.m_Kind = static_cast<StationKind>(ctx.detectedKind->load());
        return true;
    }
    const int pointer = loadLe16(&block[memory_map::fixed::kCurrentPos]);
    std::array<std::uint8_t, kDetectionWindow> before{};
    const bool anyKindsRecord = memory_map::kRing20.isRecordAddress(pointer) ||
                                memory_map::kRing16.isRecordAddress(pointer);
    if (anyKindsRecord && !readRingBefore(pointer, before)) {
        return false;
    }
    const KindDetection detection = detectStationKind(FixedBlockBytes(block), before);
    switch (detection.outcome) {
        case KindDetection::Outcome::decided:
            d.m_Kind = detection.kind;
            if (ctx.detectedKind != nullptr) {
                ctx.detectedKind->store(static_cast<int>(detection.kind));
            }
            return true;
        case KindDetection::Outcome::ambiguous:
            ctx.events.stationFault(StationFault::ambiguousKind, pointer);
            return fail(LinkResult::failure(
                LinkStatus::protocol,
                "the station's records could be of 16 or of 20 bytes; set [Station] Model"));
        case KindDetection::Outcome::neither:
            // The check that follows tells what cannot be right, for the kind the pointer
            // fits best.
            d.m_Kind = memory_map::kRing16.isRecordAddress(pointer) ? StationKind::records16
                                                                    : StationKind::records20;
            return true;
    }
    return true;
}

// A record pointer that is not a record's address, or more records than the ring holds,
// cannot be the station's own: downloading from them stores records that are not there
// and forgets real ones. The run ends before anything is read or changed.
bool Run::plausible(const FixedBlockBuffer& block) {
    const int pointer = loadLe16(&block[memory_map::fixed::kCurrentPos]);
    const int count = loadLe16(&block[memory_map::fixed::kDataCount]);
    if (!ring().isRecordAddress(pointer)) {
        ctx.events.stationFault(StationFault::recordPointer, pointer);
        return fail(LinkResult::failure(
            LinkStatus::protocol,
            "the station's record pointer " + std::to_string(pointer) + " is not a record"));
    }
    if (count > ring().records) {
        ctx.events.stationFault(StationFault::recordCount, count);
        return fail(LinkResult::failure(
            LinkStatus::protocol,
            "the station reports " + std::to_string(count) + " records, more than its ring holds"));
    }
    return true;
}

// The block holding the stretch's bytes from `offset` on, taken only when two reads agree:
// a byte spoiled on the way may still decode as a plausible record, which would then be
// stored as the station's own. It ends no later than the stretch does, so that it never
// takes in the record being filled, a record left to the next run, or the fixed block
// past the end of memory, whose bytes may change between the two reads.
bool Run::readRunBlock(std::size_t offset) {
    const int wanted = m_runStart + static_cast<int>(offset);
    const int address = std::min(wanted, m_runEnd - kBlockSize);
    std::array<std::uint8_t, memory_map::kBlockSize> block{};
    if (LinkResult read = ctx.link.verifiedRead(address, block.data(), kWindowRetries);
        !read.ok()) {
        return fail(std::move(read));
    }
    const auto skip = static_cast<std::size_t>(wanted - address);
    if (m_run.size() < offset + block.size() - skip) {
        m_run.resize(offset + block.size() - skip);
    }
    std::copy(block.begin() + static_cast<std::ptrdiff_t>(skip), block.end(),
              m_run.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

// The bytes of the record at `address`. The ring is read in consecutive blocks from the
// first record of a stretch up to the last, so that every block read serves 32 bytes of
// records; a record outside the stretch (the ring going on at its start) begins a new
// one. `again` reads the blocks that hold the record afresh. Null when the link failed.
const std::uint8_t* Run::recordBytes(int address, bool again) {
    const bool inRun = m_runStart >= 0 && address >= m_runStart &&
                       static_cast<std::size_t>(address - m_runStart) <= m_run.size();
    if (!inRun) {
        m_runStart = address;
        // A stretch ends where the download does, or at the end of memory.
        m_runEnd = d.LastPoint > address ? d.LastPoint : static_cast<int>(memory_map::kMemorySize);
        m_run.clear();
    }
    const auto begin = static_cast<std::size_t>(address - m_runStart);
    const std::size_t end = begin + static_cast<std::size_t>(ring().recordSize);
    if (again) {
        m_run.resize(begin);
    }
    while (m_run.size() < end) {
        if (!readRunBlock(m_run.size())) {
            return nullptr;
        }
    }
    return m_run.data() + begin;
}

bool Run::readCurrentRecord() {
    std::array<std::uint8_t, 32> block{};
    if (LinkResult read = ctx.link.verifiedRead(d.m_CurrentPos, block.data(), kFixedBlockRetries);
        !read.ok()) {
        return fail(std::move(read));
    }
    // Keep the running rain totals shown until this run has worked out the new ones.
    const HistoryRecord previous = d.m_Current;
    d.m_Current = decodeHistoryRecord(recordBytesOf(block.data(), d.m_Kind), d);
    d.m_Current.Time = d.m_Now.value();
    d.m_Current.Rain1 = previous.Rain1;
    d.m_Current.Rain2 = previous.Rain2;
    d.m_Current.Rain3 = previous.Rain3;
    d.m_Current.Rain4 = previous.Rain4;
    d.m_Current.Rain5 = previous.Rain5;
    d.m_Current.RainYear = previous.RainYear;
    return true;
}

void Run::planDownload(bool lapped) {
    d.m_Reanchor = 0;
    DownloadPlan plan = PlanDownload(ring(), d.m_CurrentPos, d.LastPoint, d.m_DataCount, lapped);
    d.m_Reanchor = plan.reanchor ? 1 : 0;
    d.LastCount = d.m_DataCount;
    d.LastPoint = d.m_CurrentPos;
    // A console writes the record it closes around its logging minute, after moving the
    // pointer on; while the record being filled counts minute 0 the newest complete one
    // may still be half written, and reads of it agree all the same. It is left to the
    // next run, which starts from it.
    m_newestLeft = d.m_Current.Interval < 1 && plan.count > 1;
    if (m_newestLeft) {
        --plan.count;
        d.LastPoint = ring().stepRecords(d.m_CurrentPos, -1);
    }
    m_start = plan.start;
    d.m_ToRead = plan.count;
    m_toStore = plan.count > 1 ? plan.count - 1 : 0;
}

void Run::stamp(HistoryRecord& record) {
    d.RecordTime = d.RecordTime.addSeconds(record.Interval * 60.0);
    record.Time = d.RecordTime.value();
    d.m_IntervalSum += record.Interval;
    if (d.m_FirstRainSample != 0) {
        // The first counter seen is only the base the next records count from.
        if (record.Rcount != -1) {
            d.RainCounter = record.Rcount;
            d.m_FirstRainSample = 0;
        }
        record.Rain = 0.0f;
    } else {
        record.Rain = takeRecordRain(record.Rcount, d.RainCounter, d.m_RainPerCount);
    }
    if (d.m_ParamLoaded == 0) {
        // Nothing was ever stored: there is no earlier counter to count rain from.
        record.Rain = 0.0f;
        d.m_ParamLoaded = 1;
    }
    record.Rain1 = record.Rain2 = record.Rain3 = record.Rain4 = record.Rain5 = 0.0f;
    record.RainYear = 0.0f;
}

// An invalid record is not stored, but the console spent an interval on it: the records
// after it keep their place in time. Its own interval counts when it is one a console
// could record, the station's setting otherwise.
void Run::skipInvalid(const HistoryRecord& record) {
    const int minutes = record.Interval >= 1 && record.Interval <= kLongestInterval
                            ? record.Interval
                            : d.m_Interval;
    d.RecordTime = d.RecordTime.addSeconds(minutes * 60.0);
    d.m_IntervalSum += minutes;
}

// A history cleared during the download starts again at the ring start, so a record
// read from there up to the new pointer may already be one of the new ones. Those are
// dropped, each taking the station's interval as an invalid record does, so that the
// records after them keep their place in time. False when the batch cannot be rewritten.
bool Run::dropRewritten(std::optional<TempRecordFile>& file) {
    std::array<std::uint8_t, 32> block{};
    if (!ctx.link.verifiedRead(0, block.data(), kFixedBlockRetries).ok()) {
        return true;  // nothing known: the batch stands as read
    }
    const int pointer = loadLe16(&block[memory_map::fixed::kCurrentPos]);
    const int count = loadLe16(&block[memory_map::fixed::kDataCount]);
    const bool cleared = pointer < d.m_CurrentPos && count == ring().ringIndex(pointer) + 1;
    if (!cleared) {
        return true;
    }
    auto kept = TempRecordFile::create();
    if (!kept) {
        return fail(tempFileFailure());
    }
    double laterSeconds = 0.0;
    std::size_t index = 0;
    bool appended = true;
    const bool readBack = file->forEach([&](HistoryRecord record) {
        const int address = m_addresses[index++];
        if (address >= kRingStart && address <= pointer) {
            laterSeconds += (d.m_Interval - record.Interval) * 60.0;
            return;
        }
        record.Time = OleDate(record.Time).addSeconds(laterSeconds).value();
        appended = appended && kept->append(record);
    });
    if (!readBack || !appended) {
        return fail(tempFileFailure());
    }
    d.RecordTime = d.RecordTime.addSeconds(laterSeconds);
    d.m_IntervalSum += static_cast<std::int32_t>(laterSeconds / 60.0);
    file = std::move(kept);
    return true;
}

Run::DownloadEnd Run::download(TempRecordFile& file) {
    int address = m_start;
    bool retrying = false;
    while (address != d.LastPoint && d.m_ToRead > 1 && d.m_Stop == 0) {
        if (cancelled()) {
            fail(LinkResult::failure(LinkStatus::cancelled, "the program is closing"));
            return DownloadEnd::failed;
        }
        d.m_Reading = 1;
        if (!ring().endsInMemory(address)) {
            address = kRingStart;  // the end of memory holds no record: the ring goes on
            continue;
        }
        const std::uint8_t* bytes = recordBytes(address, retrying);
        if (bytes == nullptr) {
            d.m_Stop = 1;
            return DownloadEnd::linkLost;
        }
        const DecodedRecord decoded =
            decodeHistoryRecord(recordBytesOf(bytes, d.m_Kind), relativePressureOffset(d));
        d.m_RecordValid = decoded.valid ? 1 : 0;
        // Minute count 0 marks the record the console is filling: the console has come
        // round to where the download reads, and no second read gives back the record
        // that was there. Any other invalid record may be one half written: read it once
        // more.
        const bool beingFilled = decoded.record.Interval == 0;
        if (!decoded.valid && !retrying && !beingFilled) {
            // Read the record once more.
            retrying = true;
            std::this_thread::sleep_for(kInvalidRecordPause);
            continue;
        }
        retrying = false;
        --d.m_ToRead;
        const int readAt = address;
        address = ring().nextRecordAddress(address);
        if (!decoded.valid) {
            skipInvalid(decoded.record);
            continue;
        }
        HistoryRecord record = decoded.record;
        stamp(record);
        m_addresses.push_back(readAt);
        if (!file.append(record)) {
            reportToDefaultErrorSink(kTempFileFailure);
            fail(tempFileFailure());
            return DownloadEnd::failed;
        }
        ++d.m_StoredCount;
        reportProgress();
    }
    return DownloadEnd::complete;
}

// The shift that puts a batch back on the times already stored, when it ends with, or
// goes on past, the newest stored records: a batch read again after a lost link is
// re-anchored to the clock, which can place each record up to an interval away from its
// stored copy, too far to recognise it, so that the whole ring would be stored twice.
std::optional<Run::StoredTimeline> Run::storedTimeline(const TempRecordFile& file) {
    std::vector<HistoryRecord> newest;
    RecordCursor cursor;
    if (ctx.db.OpenLatest(kAlignRecords, cursor) != 0) {
        return std::nullopt;
    }
    for (; !cursor.atEnd(); cursor.moveNext()) {
        HistoryRecord record;
        if (cursor.ExchangeRecord(record, ExchangeDirection::read) != 0) {
            return std::nullopt;
        }
        newest.push_back(record);
    }
    std::vector<HistoryRecord> batch;
    if (newest.size() < kAlignRecords ||
        !file.forEach([&](const HistoryRecord& record) { batch.push_back(record); })) {
        return std::nullopt;
    }
    for (std::size_t end = batch.size(); end >= newest.size(); --end) {
        const auto from = batch.begin() + static_cast<std::ptrdiff_t>(end - newest.size());
        if (std::equal(newest.begin(), newest.end(), from, SameReadings)) {
            return StoredTimeline{
                WholeMinutesBetween(OleDate(batch[end - 1].Time), OleDate(newest.back().Time)),
                end};
        }
    }
    return std::nullopt;
}

bool Run::store(const TempRecordFile& file, const StoredTimeline& timeline) {
    const auto shifted = [shiftMinutes = timeline.shiftMinutes](HistoryRecord record) {
        record.Time =
            OleDate(record.Time).addSeconds(static_cast<double>(shiftMinutes) * 60.0).value();
        return record;
    };
    Transaction transaction(ctx.db);
    if (!transaction.isOpen()) {
        return false;
    }
    double first = 0.0;
    double last = 0.0;
    file.forEach([&, any = false](const HistoryRecord& downloaded) mutable {
        const double t = shifted(downloaded).Time;
        first = any ? std::min(first, t) : t;
        last = any ? std::max(last, t) : t;
        any = true;
    });
    StoredRecords alreadyStored;
    if (file.count() > 0 && !alreadyStored.load(ctx.db, OleDate(first), OleDate(last))) {
        return false;
    }
    bool inserted = true;
    int storedNow = 0;
    std::size_t index = 0;
    const bool readBack = file.forEach([&](const HistoryRecord& downloaded) {
        const HistoryRecord record = shifted(downloaded);
        if (!inserted || alreadyStored.contains(record, index++ < timeline.readAgain)) {
            return;
        }
        inserted = ctx.db.InsertRecord(record) == 0;
        ++storedNow;
    });
    if (!readBack || !inserted) {
        return false;
    }
    d.m_StoredCount = storedNow;
    if (d.m_DataCount == 0) {
        d.RainCounter = d.m_Current.Rcount == -1 ? 0 : d.m_Current.Rcount;
    }
    // The rain totals are committed with the records: a run ended between the two would
    // leave stored records whose totals no later run works out.
    const int rainStatus = FillStoredRainTotals(ctx.db, storedNow, [this] {
        ++d.m_RainDoneCount;
        reportProgress();
    });
    return rainStatus == 0 && ctx.db.WriteParam(d) == 0 && transaction.commit() == 0;
}

LinkResult Run::execute() {
    d.m_Now = ctx.now();
    FixedBlockBuffer block{};
    if (!readFixedBlock(block)) {
        ctx.publish(d);
        return m_failure;
    }
    if (!decideKind(block) || !plausible(block)) {
        return m_failure;
    }
    decodeFixedBlock(FixedBlockBytes(block), d);
    if (!hasSolarSensor(d.m_Kind)) {
        forgetSolarFields(d);
    }
    if (!readCurrentRecord()) {
        return m_failure;
    }
    ctx.publish(d);

    if (ctx.db.ReadParam(d, kParamRainState) != 0) {
        return storeFailure();
    }
    const ParamBlock stored = d.paramBlock();
    if (d.m_DataCount == 0) {
        d.m_FirstRainSample = 1;
    }
    const std::int64_t gap = WholeMinutesBetween(d.RecordTime, d.m_Now);
    planDownload(d.m_ParamLoaded != 0 && RingMayHaveLapped(ring(), gap, d.m_Interval));
    // Minutes since the newest record this run stores was closed, by the console's count.
    const std::int64_t delay = d.m_Current.Interval + (m_newestLeft ? d.m_Interval : 0);

    auto file = TempRecordFile::create();
    d.m_TempFileOpen = file ? 1 : 0;
    if (!file) {
        reportToDefaultErrorSink(kTempFileFailure);
        return tempFileFailure();
    }
    d.m_Stop = 0;
    d.m_StoredCount = 0;
    d.m_RainDoneCount = 0;
    d.m_IntervalSum = 0;
    const DownloadEnd end = download(*file);
    d.m_Stop = 1;
    if (end != DownloadEnd::complete) {
        // Nothing was stored: keep the bookkeeping of the last stored record.
        d.paramBlock() = stored;
        if (end == DownloadEnd::linkLost) {
            d.LastPoint = kRingStart;  // read everything the station holds next time
        }
        d.m_Reading = 0;
        d.m_TempFileOpen = 0;
        reportProgress();
        return m_failure;
    }

    if (!dropRewritten(file)) {
        d.paramBlock() = stored;
        d.m_Reading = 0;
        d.m_TempFileOpen = 0;
        reportProgress();
        return m_failure;
    }
    const std::int64_t span = WholeMinutesBetween(d.RecordTime, d.m_Now);
    StoredTimeline timeline{
        ReanchorShiftMinutes({span, d.m_Reanchor != 0, d.m_IntervalSum, gap, delay})};
    if (timeline.shiftMinutes != 0) {
        if (const auto onStored = storedTimeline(*file)) {
            timeline = *onStored;
        }
        // The newest record as stored: shifted by whole minutes, it keeps its seconds,
        // and the next run's records follow it an interval apart.
        d.RecordTime = d.RecordTime.addSeconds(static_cast<double>(timeline.shiftMinutes) * 60.0);
    }
    const bool committed = store(*file, timeline);
    d.m_TempFileOpen = 0;
    if (!committed) {
        // Rolled back: the same records are downloaded again next time.
        d.paramBlock() = stored;
        d.m_Reading = 0;
        reportProgress();
        return storeFailure();
    }

    if (ComputeCurrentRainTotals(ctx.db, d.m_Now, d) != 0) {
        d.m_Reading = 0;
        reportProgress();
        return storeFailure();
    }
    ctx.publish(d);
    if (ctx.passCompleted) {
        ctx.passCompleted();
    }
    d.m_Reading = 0;
    reportProgress();
    return LinkResult::success();
}

}  // namespace

LinkResult RunAcquisition(CStationData& data, AcquisitionContext& context) {
    return Run(data, context).execute();
}

}  // namespace nimbra
