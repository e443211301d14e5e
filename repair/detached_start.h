#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace nimbra::repair {

struct StartResult {
    pid_t pid = -1;
    std::error_code error;  // why the program could not be started
};

// Starts `program` with `arguments` in a session of its own, with standard input,
// output and error on /dev/null, default signal handling and none of our other
// descriptors (an inherited lock file would make it take itself for a second instance).
// Nobody waits for it: once the caller has exited, init adopts and reaps it.
StartResult startDetached(const std::filesystem::path& program,
                          const std::vector<std::string>& arguments = {});

}  // namespace nimbra::repair
