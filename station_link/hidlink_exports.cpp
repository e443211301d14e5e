// The library's C interface: one station link per process behind the seven exports.
// Only here does a LinkResult become the documented return codes; on failure errno
// carries its status across.

#include <cerrno>

#include "station_link/device_discovery.h"
#include "station_link/hidlink.h"
#include "station_link/station_link.h"

namespace {

using nimbra::link::LinkResult;
using nimbra::link::LinkStatus;

nimbra::link::StationLink& processLink() {
    static nimbra::link::StationLink link(&nimbra::link::discoverStation);
    return link;
}

// Set once the link has returned and cleaned up; only the result's string is freed
// after this, and free() leaves errno alone.
void leaveErrno(const LinkResult& result) {
    if (!result.ok()) {
        errno = nimbra::link::errnoFor(result.status);
    }
}

int plainCode(const LinkResult& result) {
    leaveErrno(result);
    return result.ok() ? 1 : 0;
}

unsigned int verifiedCode(const LinkResult& result) {
    leaveErrno(result);
    if (result.ok()) {
        return 0;
    }
    return result.status == LinkStatus::disagreed ? 2 : 1;
}

}  // namespace

extern "C" {

int CheckHandle(void) {
    return plainCode(processLink().open());
}

int ReadData(int address, unsigned char* buffer) {
    return plainCode(processLink().readBlock(address, buffer));
}

int WriteData(int address, const unsigned char* data) {
    return plainCode(processLink().writeBlock(address, data));
}

int WriteByte(int address, unsigned char value) {
    return plainCode(processLink().writeByte(address, value));
}

unsigned int V_ReadData(int address, unsigned char* buffer, int retryCount) {
    return verifiedCode(processLink().verifiedRead(address, buffer, retryCount));
}

unsigned int V_WriteData(int address, const unsigned char* data, int retryCount) {
    return verifiedCode(processLink().verifiedWrite(address, data, retryCount));
}

unsigned int V_WriteByte(int address, unsigned char value, int retryCount) {
    return verifiedCode(processLink().verifiedWriteByte(address, value, retryCount));
}

}  // extern "C"
