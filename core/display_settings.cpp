#include "core/display_settings.h"

namespace nimbra {

namespace {

bool bit(std::uint8_t byte, int n) {
    return (byte >> n) & 1;
}

void setBit(std::uint8_t& byte, int n) {
    byte = static_cast<std::uint8_t>(byte | (1u << n));
}

}  // namespace

int GetDisplaySetting(const CStationData& data, int index) {
    const std::uint8_t a = data.m_Display1;
    const std::uint8_t b = data.m_Display2;
    switch (index) {
        case 0:
            return bit(a, 5) ? 0 : bit(a, 6) ? 1 : 2;
        case 1:
            return bit(a, 2) ? 1 : 0;
        case 2:
            return bit(a, 3) ? 1 : 0;
        case 3:
            return bit(a, 4) ? 1 : 0;
        case 4:
            return bit(b, 0) ? 0 : bit(b, 1) ? 1 : bit(b, 2) ? 2 : -1;
        case 5:
            return bit(a, 0) ? 1 : 0;
        case 6:
            return bit(a, 1) ? 1 : 0;
        case 7:
            for (int n = 3; n <= 6; ++n) {
                if (bit(b, n)) {
                    return n - 3;
                }
            }
            return 4;
        default:
            return 0;
    }
}

void SetDisplaySetting(CStationData& data, int index, int choice) {
    std::uint8_t& a = data.m_Display1;
    std::uint8_t& b = data.m_Display2;
    switch (index) {
        case 0:
            setBit(a, choice == 0 ? 5 : choice == 1 ? 6 : 7);
            break;
        case 1:
        case 2:
        case 3:
            if (choice != 0) {
                setBit(a, index + 1);
            }
            break;
        case 4:
            setBit(b, choice == 0 ? 0 : choice == 1 ? 1 : 2);
            break;
        case 5:
        case 6:
            if (choice != 0) {
                setBit(a, index - 5);
            }
            break;
        case 7:
            setBit(b, choice >= 0 && choice <= 3 ? choice + 3 : 7);
            break;
        default:
            break;
    }
}

}  // namespace nimbra
