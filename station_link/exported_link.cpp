#include "station_link/exported_link.h"

#include <cerrno>
#include <cstring>

#include "station_link/hidlink.h"

namespace nimbra::link {

namespace {

LinkResult fromErrno() {
    const int error = errno;
    return LinkResult::failure(statusForErrno(error), std::strerror(error));
}

LinkResult plain(int code) {
    return code == 1 ? LinkResult::success() : fromErrno();
}

LinkResult verified(unsigned int code) {
    switch (code) {
        case 0:
            return LinkResult::success();
        case 2:
            return LinkResult::failure(LinkStatus::disagreed);
        default:
            return fromErrno();
    }
}

}  // namespace

LinkResult ExportedLink::open() {
    return plain(CheckHandle());
}

LinkResult ExportedLink::readBlock(int address, std::uint8_t* block) {
    return plain(ReadData(address, block));
}

LinkResult ExportedLink::writeBlock(int address, const std::uint8_t* block) {
    return plain(WriteData(address, block));
}

LinkResult ExportedLink::writeByte(int address, std::uint8_t value) {
    return plain(WriteByte(address, value));
}

LinkResult ExportedLink::verifiedRead(int address, std::uint8_t* block, int retryCount) {
    return verified(V_ReadData(address, block, retryCount));
}

LinkResult ExportedLink::verifiedWrite(int address, const std::uint8_t* block, int retryCount) {
    return verified(V_WriteData(address, block, retryCount));
}

LinkResult ExportedLink::verifiedWriteByte(int address, std::uint8_t value, int retryCount) {
    return verified(V_WriteByte(address, value, retryCount));
}

}  // namespace nimbra::link
