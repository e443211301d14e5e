#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace nimbra {

// How the program names itself to the services that ask for it.
struct SoftwareIdentity {
    std::string_view name;  // at most 24 characters
    std::array<std::uint8_t, 3> version{};
};

inline constexpr SoftwareIdentity kNimbraPlusIdentity{"NimbraPlus", {2, 4, 0}};

}  // namespace nimbra
