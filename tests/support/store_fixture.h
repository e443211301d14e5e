#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "store/weather_db.h"
#include "tests/support/sample_records.h"
#include "tests/support/temp_folder.h"

namespace nimbra::testing {

// Collects what a database object reports.
class CapturedErrors {
public:
    ErrorSink sink() {
        return [this](const std::string& message) {
            const std::lock_guard lock(m_mutex);
            m_messages.push_back(message);
        };
    }
    std::vector<std::string> messages() const {
        const std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_messages;
};

// Runs SQL on a connection of its own, behind the store's back.
inline void executeRaw(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error != nullptr ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(result, SQLITE_OK) << message;
}

// The text of the first column of every row of `sql`, rows joined by ";".
inline std::string queryRaw(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    std::string rows;
    sqlite3_exec(
        db, sql.c_str(),
        [](void* out, int, char** values, char**) {
            auto& text = *static_cast<std::string*>(out);
            text += (text.empty() ? "" : ";") + std::string(values[0] ? values[0] : "NULL");
            return 0;
        },
        &rows, nullptr);
    sqlite3_close(db);
    return rows;
}

// The engine's plan for `sql`, one step per line.
inline std::string queryPlan(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    std::string plan;
    sqlite3_exec(
        db, ("EXPLAIN QUERY PLAN " + sql).c_str(),
        [](void* out, int columns, char** values, char**) {
            *static_cast<std::string*>(out) += std::string(values[columns - 1]) + "\n";
            return 0;
        },
        &plan, nullptr);
    sqlite3_close(db);
    return plan;
}

// A connected database in a fresh folder whose reports are captured.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.setErrorSink(m_errors.sink());
        ASSERT_EQ(m_db.Connect(file()), 0);
    }

    std::filesystem::path file() const { return m_folder.path() / "Nimbra7420.db"; }

    void insertAt(std::initializer_list<double> times) {
        for (const double time : times) {
            ASSERT_EQ(m_db.InsertRecord(sampleRecord(time)), 0);
        }
    }

    std::vector<double> timesOf(RecordCursor& cursor) {
        std::vector<double> times;
        HistoryRecord record;
        while (!cursor.atEnd()) {
            EXPECT_EQ(cursor.ExchangeRecord(record, ExchangeDirection::read), 0);
            times.push_back(record.Time);
            EXPECT_EQ(cursor.moveNext(), 0);
        }
        return times;
    }

    TempFolder m_folder;
    CapturedErrors m_errors;
    CWeatherDb m_db;
};

}  // namespace nimbra::testing
