#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>

namespace nimbra::soak {

// The scratch folder of the soak, removed afterwards unless it was the user's choice.
class WorkDir {
public:
    explicit WorkDir(const std::optional<std::filesystem::path>& chosen);
    ~WorkDir();
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    bool ok() const { return !m_path.empty(); }
    const std::filesystem::path& path() const { return m_path; }
    void keep() { m_keep = true; }

private:
    std::filesystem::path m_path;
    bool m_keep = false;
};

// The write-ahead log's size and change time: any write of a commit moves one of them.
struct LogStamp {
    bool exists = false;
    off_t size = 0;
    std::int64_t changedNs = 0;
    friend bool operator==(const LogStamp&, const LogStamp&) = default;
};

LogStamp logStamp(const std::filesystem::path& database);

// True when nobody holds the single-instance lock at `lockPath`: the next start gets it.
bool lockIsFree(const std::filesystem::path& lockPath);

// Temporary record files the program left in `folder`; they are removed once counted.
int takeLeftoverTempFiles(const std::filesystem::path& folder);

}  // namespace nimbra::soak
