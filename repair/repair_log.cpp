#include "repair/repair_log.h"

#include <syslog.h>

#include <cstdio>

namespace nimbra::repair {
namespace {

constexpr const char* kIdentity = "fixora";

void emit(int priority, std::string_view message) {
    const int length = static_cast<int>(message.size());
    std::fprintf(stderr, "%s: %.*s\n", kIdentity, length, message.data());
    ::syslog(priority, "%.*s", length, message.data());
}

}  // namespace

SystemRepairLog::SystemRepairLog() {
    ::openlog(kIdentity, LOG_PID, LOG_USER);
}

SystemRepairLog::~SystemRepairLog() {
    ::closelog();
}

void SystemRepairLog::note(std::string_view message) {
    emit(LOG_INFO, message);
}

void SystemRepairLog::failure(std::string_view message) {
    emit(LOG_ERR, message);
}

}  // namespace nimbra::repair
