#pragma once

#include "core/station_data.h"

namespace nimbra {

// The station console's eight display options, packed into m_Display1 and m_Display2.
// Index order: 0 display format, 1 time format, 2 date format, 3 graph axis,
// 4 outdoor temperature display, 5 pressure display, 6 wind display, 7 rain display.
inline constexpr int kDisplaySettingCount = 8;

// The list position to select for option `index`; -1 for option 4 when no bit is set.
int GetDisplaySetting(const CStationData& data, int index);

// ORs the bit for list position `choice` of option `index` into the setting bytes.
// The caller clears both bytes before setting all eight options afresh.
void SetDisplaySetting(CStationData& data, int index, int choice);

}  // namespace nimbra
