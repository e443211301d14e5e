#pragma once

#include <string>

#include "config/command_line.h"
#include "config/profile_file.h"

namespace nimbra {

inline constexpr int kDefaultWebPort = 8074;

// Section [Web] of Main.ini: Enable (1 serves the page), Port, Listen (the address to
// bind, 127.0.0.1 unless the owner opens it to the home network with 0.0.0.0).
struct WebSettings {
    bool enabled = false;
    int port = kDefaultWebPort;
    std::string listen = "127.0.0.1";
};

// Main.ini's settings; --web PORT turns the server on at that port whatever Enable says.
// A port that is not a number from 1 to 65535 falls back to the default.
WebSettings readWebSettings(const ProfileFile& config, const CommandLine& options);

}  // namespace nimbra
