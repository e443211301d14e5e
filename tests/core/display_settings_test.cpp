#include "core/display_settings.h"

#include <gtest/gtest.h>

namespace nimbra {
namespace {

TEST(DisplaySettings, EveryChoiceReadsBackThroughItsBits) {
    const int choices[kDisplaySettingCount] = {3, 2, 2, 2, 3, 2, 2, 5};
    for (int index = 0; index < kDisplaySettingCount; ++index) {
        for (int choice = 0; choice < choices[index]; ++choice) {
            CStationData data;
            SetDisplaySetting(data, index, choice);
            EXPECT_EQ(GetDisplaySetting(data, index), choice) << index << "/" << choice;
        }
    }
}

TEST(DisplaySettings, BitsAsTheConsoleExpectsThem) {
    CStationData data;
    const int selection[kDisplaySettingCount] = {1, 1, 0, 1, 2, 1, 0, 3};
    for (int index = 0; index < kDisplaySettingCount; ++index) {
        SetDisplaySetting(data, index, selection[index]);
    }
    EXPECT_EQ(data.m_Display1, 0x40 | 0x04 | 0x10 | 0x01);
    EXPECT_EQ(data.m_Display2, 0x04 | 0x40);
}

TEST(DisplaySettings, PrecedenceWhenSeveralBitsAreSet) {
    CStationData data;
    data.m_Display1 = 0xE0;  // all three display formats: the first wins
    data.m_Display2 = 0x00;
    EXPECT_EQ(GetDisplaySetting(data, 0), 0);
    EXPECT_EQ(GetDisplaySetting(data, 4), -1);  // no outdoor temperature bit
    EXPECT_EQ(GetDisplaySetting(data, 7), 4);   // no period bit: total rainfall
    data.m_Display2 = 0x06;
    EXPECT_EQ(GetDisplaySetting(data, 4), 1);
    data.m_Display1 = 0x00;
    EXPECT_EQ(GetDisplaySetting(data, 0), 2);
}

}  // namespace
}  // namespace nimbra
