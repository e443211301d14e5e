#pragma once

#include <string_view>

namespace nimbra::repair {

// Where the repair tool reports. It has no window: what it did and what failed is for
// whoever reads its standard error or the system log.
class RepairLog {
public:
    virtual ~RepairLog() = default;
    virtual void note(std::string_view message) = 0;
    virtual void failure(std::string_view message) = 0;
};

// Writes each line to standard error and to the system log under the tool's name.
class SystemRepairLog final : public RepairLog {
public:
    SystemRepairLog();
    ~SystemRepairLog() override;
    SystemRepairLog(const SystemRepairLog&) = delete;
    SystemRepairLog& operator=(const SystemRepairLog&) = delete;

    void note(std::string_view message) override;
    void failure(std::string_view message) override;
};

}  // namespace nimbra::repair
