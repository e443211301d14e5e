// Any line of a text export parses or is refused, never read past its end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "store/import/dat_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbra;
    // A copy of exactly the input, so that reading past it is caught.
    const std::string line(reinterpret_cast<const char*>(data), size);
    for (DateOrder order :
         {DateOrder::yearMonthDay, DateOrder::dayMonthYear, DateOrder::monthDayYear}) {
        parseDatLine(line, order);
    }
    return 0;
}
