#pragma once

#include <filesystem>
#include <system_error>

namespace nimbra::repair {

inline constexpr const char* kMainProgramName = "nimbraplus";

// The main program in the folder of the running executable; empty, with the reason in
// `error`, when the executable cannot be located.
std::filesystem::path mainProgramBesideSelf(std::error_code& error);

}  // namespace nimbra::repair
