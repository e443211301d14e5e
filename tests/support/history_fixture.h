#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "config/string_table.h"
#include "report/history_table.h"
#include "store/weather_db.h"
#include "tests/support/store_fixture.h"

namespace nimbra::testing {

inline const StringTable& stringTable(const char* code) {
    static std::map<std::string, StringTable> tables;
    auto found = tables.find(code);
    if (found == tables.end()) {
        std::string error;
        auto loaded = StringTable::load(
            std::filesystem::path(NIMBRA_STRINGS_DIR) / (std::string(code) + ".txt"), error);
        EXPECT_TRUE(loaded) << error;
        found = tables.emplace(code, loaded ? *loaded : StringTable{}).first;
    }
    return found->second;
}

inline TextLookup textsOf(const char* code) {
    const StringTable& table = stringTable(code);
    return [&table](int id) { return table.text(id); };
}

// The list's formatting in English with the ISO time form, in the given units.
inline HistoryTable englishTable(const ParamBlock& units = {}) {
    return HistoryTable(units, textsOf("en"), HistoryTimeText::iso());
}

// Stores `records` in the database at `file`, with `units` in its Param row.
inline void storeRecords(const std::filesystem::path& file,
                         const std::vector<HistoryRecord>& records, const ParamBlock& units = {}) {
    CWeatherDb db;
    ASSERT_EQ(db.Connect(file), 0);
    Transaction transaction(db);
    for (const HistoryRecord& r : records) {
        ASSERT_EQ(db.InsertRecord(r), 0);
    }
    ASSERT_EQ(db.WriteParam(units), 0);
    ASSERT_EQ(transaction.commit(), 0);
}

// `count` records five minutes apart, the first at 2024-03-05 00:05.
inline std::vector<HistoryRecord> fiveMinuteRecords(int count) {
    std::vector<HistoryRecord> records;
    const double first = OleDate::fromCivil(2024, 3, 5, 0, 5).value();
    for (int i = 0; i < count; ++i) {
        HistoryRecord r = sampleRecord(first + i * 5.0 / 1440.0);
        r.InHumi = i;  // tells the rows apart
        records.push_back(r);
    }
    return records;
}

inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Standard output of a shell command.
inline std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 4096> buffer{};
        std::size_t n = 0;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
            out.append(buffer.data(), n);
        }
        pclose(pipe);
    }
    return out;
}

}  // namespace nimbra::testing
