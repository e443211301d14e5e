#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "store/weather_db.h"

namespace nimbra::test {

// A fresh folder under $TMPDIR, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "store_test_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

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

// A record with a distinct value in every column, stamped `time`.
inline HistoryRecord sampleRecord(double time) {
    HistoryRecord r;
    r.Time = time;
    r.Interval = 5;
    r.InTemp = 21.3f;
    r.InHumi = 45;
    r.OutTemp = -7.9f;
    r.OutHumi = 88;
    r.RelPressure = 1013.2f;
    r.AbsPressure = 990.7f;
    r.Wind = 3.4f;
    r.Gust = 6.8f;
    r.WindDirection = 11;
    r.DewPoint = -9.1f;
    r.WindChill = -12.6f;
    r.Rain = 0.3f;
    r.Rcount = 123;
    r.Rain1 = 1.2f;
    r.Rain2 = 3.4f;
    r.Rain3 = 5.6f;
    r.Rain4 = 7.8f;
    r.Rain5 = 901.2f;
    r.Light = 5432.1f;
    r.UV = 4;
    return r;
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

}  // namespace nimbra::test
