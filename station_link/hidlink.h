#pragma once

/*
 * The station link: the one connection between this machine and the weather station.
 *
 * Every function is safe to call from any thread; exchanges with the station are
 * serialised inside the library. Addresses are station memory addresses; only their low
 * 16 bits reach the station. Blocks are 32 bytes.
 *
 * CheckHandle, ReadData, WriteData, WriteByte return 1 on success and 0 on failure.
 * V_ReadData, V_WriteData, V_WriteByte return 0 when the transfer is done and verified,
 * 1 when a transfer failed, 2 when the data still disagreed after the last attempt; they
 * make retryCount + 1 attempts at most, 100 ms apart.
 *
 * A call that fails (0 from the first four, 1 from the verified ones) leaves errno
 * saying why: ENODEV no station found, EACCES a station that could not be opened
 * (permissions, in use), ETIMEDOUT no answer in time or the link busy, EPROTO an answer
 * the protocol does not allow, EIO any other failure of the system.
 *
 * The station is looked for among the USB HID devices, or, when the environment variable
 * NIMBRA_STATION_SOCKET names a socket, at the station emulator listening there. The
 * search runs on the first call and again on every CheckHandle.
 */

#define HIDLINK_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Looks for the station again and keeps what it finds; 1 if the station is present. */
HIDLINK_API int CheckHandle(void);

/* Reads the 32-byte block at address into buffer. */
HIDLINK_API int ReadData(int address, unsigned char* buffer);

/* Writes the 32 bytes of data to the block at address. */
HIDLINK_API int WriteData(int address, const unsigned char* data);

/* Writes one byte to address. */
HIDLINK_API int WriteByte(int address, unsigned char value);

/* Reads the block twice and accepts it only when both reads agree; buffer keeps the first. */
HIDLINK_API unsigned int V_ReadData(int address, unsigned char* buffer, int retryCount);

/* Writes the block and accepts it when the block read back equals data. */
HIDLINK_API unsigned int V_WriteData(int address, const unsigned char* data, int retryCount);

/* Writes the byte and accepts it when the first byte of the block read back equals value. */
HIDLINK_API unsigned int V_WriteByte(int address, unsigned char value, int retryCount);

#ifdef __cplusplus
}
#endif
