#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace nimbra::repair {

// Whole content of a sysfs attribute, binary attributes included; nullopt and the
// reason in `error` when it cannot be read.
std::optional<std::string> readAttributeBytes(const std::filesystem::path& attribute,
                                              std::error_code& error);

// A text attribute without the newline the kernel ends it with.
std::optional<std::string> readAttributeText(const std::filesystem::path& attribute,
                                             std::error_code& error);

// Writes `value` in one write, as the kernel expects of a store; the error when refused.
std::error_code writeAttribute(const std::filesystem::path& attribute, std::string_view value);

}  // namespace nimbra::repair
