// The library's C interface: one station link per process behind the seven exports.

#include "station_link/device_discovery.h"
#include "station_link/hidlink.h"
#include "station_link/station_link.h"

namespace {

nimbra::link::StationLink& processLink() {
    static nimbra::link::StationLink link(&nimbra::link::discoverStation);
    return link;
}

unsigned int code(nimbra::link::Verified result) {
    return static_cast<unsigned int>(result);
}

}  // namespace

extern "C" {

int CheckHandle(void) {
    return processLink().checkHandle() ? 1 : 0;
}

int ReadData(int address, unsigned char* buffer) {
    return processLink().readData(address, buffer) ? 1 : 0;
}

int WriteData(int address, const unsigned char* data) {
    return processLink().writeData(address, data) ? 1 : 0;
}

int WriteByte(int address, unsigned char value) {
    return processLink().writeByte(address, value) ? 1 : 0;
}

unsigned int V_ReadData(int address, unsigned char* buffer, int retryCount) {
    return code(processLink().verifiedRead(address, buffer, retryCount));
}

unsigned int V_WriteData(int address, const unsigned char* data, int retryCount) {
    return code(processLink().verifiedWrite(address, data, retryCount));
}

unsigned int V_WriteByte(int address, unsigned char value, int retryCount) {
    return code(processLink().verifiedWriteByte(address, value, retryCount));
}

}  // extern "C"
