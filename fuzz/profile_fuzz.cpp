// Any Main.ini content reads and takes a write without damage: what was written reads
// back, and no value ever spans two lines.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "config/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/nimbra-profile-fuzz-" + std::to_string(getpid()) + ".ini";
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    nimbra::ProfileFile profile(path);
    profile.readString("Upload", "Password");
    profile.readString("Language", "Language");
    if (!profile.writeString("Upload", "Password", "p=a ss")) {
        return 0;
    }
    if (profile.readString("Upload", "Password") != "p=a ss") {
        std::abort();  // a write that does not read back
    }
    return 0;
}
