#include "views/setting_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "core/units.h"
#include "tests/support/english_strings.h"
#include "tests/support/qt_application.h"

namespace nimbra {
namespace {

// Answers "Do you want to save?" without a message box and keeps what was handed over.
class ScriptedSetting : public CSetting {
public:
    ScriptedSetting(const CStationData& data, StationAccess access = StationAccess::ready)
        : CSetting(data, testing::englishStrings(), access,
                   [this](const CStationData& saved) { this->saved = saved; }) {}

    template <typename Widget>
    Widget* control(int id) const {
        auto* widget = findChild<Widget*>(QString::number(id));
        EXPECT_NE(widget, nullptr) << id;
        return widget;
    }
    QComboBox* list(int id) const { return control<QComboBox>(id); }
    QLineEdit* field(int id) const { return control<QLineEdit>(id); }
    void clickSave() { control<QPushButton>(1)->click(); }

    bool answer = true;
    int questions = 0;
    std::optional<CStationData> saved;

protected:
    bool confirmSave() override {
        ++questions;
        return answer;
    }
};

class SettingDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }

    static CStationData station() {
        CStationData d;
        d.m_Interval = 30;
        d.m_RelPressure = 1013.2f;
        d.m_AbsPressure = 1001.0f;
        d.m_Display1 = 0x20;
        d.m_Display2 = 0x01 | 0x08;
        return d;
    }
};

TEST_F(SettingDialogTest, IntervalIsClampedToTheStationsRange) {
    const std::pair<const char*, int> cases[] = {{"3", 5},     {"300", 240}, {"5", 5},
                                                 {"240", 240}, {"45", 45},   {"", 5}};
    for (const auto& [typed, stored] : cases) {
        ScriptedSetting dialog(station());
        dialog.field(1002)->setText(QString::fromLatin1(typed));
        dialog.clickSave();
        const bool clamped = QString::number(stored) != QString::fromLatin1(typed);
        if (clamped) {
            // First the field shows what the value became and the range; then it is saved.
            EXPECT_FALSE(dialog.saved) << typed;
            EXPECT_EQ(dialog.field(1002)->text(), QString::number(stored));
            const auto* note = dialog.findChild<QLabel*>("intervalRange");
            EXPECT_TRUE(note->isVisibleTo(&dialog)) << typed;
            EXPECT_TRUE(note->text().contains(" was changed to " + QString::number(stored)))
                << note->text().toStdString();
            EXPECT_TRUE(note->text().contains("Range of values: 5 to 240 Minute"))
                << note->text().toStdString();
            dialog.clickSave();
        }
        ASSERT_TRUE(dialog.saved) << typed;
        EXPECT_EQ(dialog.saved->m_Interval, stored) << typed;
        EXPECT_FALSE(dialog.findChild<QLabel*>("intervalRange")->isVisibleTo(&dialog));
    }
}

TEST_F(SettingDialogTest, RelativePressureIsTypedInTheChosenUnitAndStoredInHectopascal) {
    struct Case {
        int unit;
        const char* typed;
        float hectopascal;
        const char* note;  // the range note the first Save shows, when the value is clamped
    };
    const Case cases[] = {{kInchesOfMercury, "29.92", 1013.2f, nullptr},
                          {kMillimetresOfMercury, "760.0", 1013.3f, nullptr},
                          {kHectopascal, "1020.5", 1020.5f, nullptr},
                          {kInchesOfMercury, "5", 300.0f,
                           "5.00 was changed to 8.86.  Range of values: 8.86 to 59.06 inhg"},
                          {kHectopascal, "2500", 2000.0f,
                           "2500.0 was changed to 2000.0.  Range of values: 300.0 to 2000.0 hpa"},
                          {kHectopascal, "high", 300.0f, "0.0 was changed to 300.0."}};
    for (const Case& c : cases) {
        ScriptedSetting dialog(station());
        dialog.list(1008)->setCurrentIndex(c.unit);
        dialog.field(1038)->setText(QString::fromLatin1(c.typed));
        dialog.clickSave();
        if (c.note != nullptr) {
            EXPECT_FALSE(dialog.saved) << c.typed;
            const auto* note = dialog.findChild<QLabel*>("pressureRange");
            EXPECT_TRUE(note->isVisibleTo(&dialog));
            EXPECT_TRUE(note->text().startsWith(QString::fromUtf8(c.note)))
                << note->text().toStdString();
            dialog.clickSave();
        }
        ASSERT_TRUE(dialog.saved);
        EXPECT_EQ(dialog.saved->PressureUnit, c.unit);
        EXPECT_NEAR(dialog.saved->m_RelPressure, c.hectopascal, 0.05f) << c.typed;
    }
}

TEST_F(SettingDialogTest, ChangingThePressureUnitShowsTheRecordsPressuresInIt) {
    ScriptedSetting dialog(station());
    EXPECT_EQ(dialog.field(1038)->text(), "1013.2");
    EXPECT_EQ(dialog.control<QLabel>(1039)->text(), "hpa");
    dialog.field(1038)->setText("999");
    dialog.list(1008)->setCurrentIndex(kInchesOfMercury);
    EXPECT_EQ(dialog.field(1038)->text(), "29.92");
    EXPECT_EQ(dialog.field(1040)->text(), "29.56");
    EXPECT_EQ(dialog.control<QLabel>(1041)->text(), "inhg");
    dialog.list(1008)->setCurrentIndex(kMillimetresOfMercury);
    EXPECT_EQ(dialog.field(1038)->text(), "759.9");
    EXPECT_EQ(dialog.control<QLabel>(1039)->text(), "mmhg");
}

TEST_F(SettingDialogTest, TimeZoneEntriesAndStationCodes) {
    const std::pair<const char*, int> table[] = {{"-12", 0x92}, {"-10", 0x90}, {"-5", 133},
                                                 {"-1", 0x81},  {"0", 0},      {"+9", 9},
                                                 {"+10", 0x10}, {"+11", 17},   {"+12", 0x12}};
    for (const auto& [entry, code] : table) {
        ScriptedSetting dialog(station());
        QComboBox* zones = dialog.list(1000);
        zones->setCurrentIndex(zones->findText(QString::fromLatin1(entry)));
        dialog.clickSave();
        ASSERT_TRUE(dialog.saved);
        EXPECT_EQ(dialog.saved->m_TimeZone, code) << entry;

        CStationData record = station();
        record.m_TimeZone = code;
        EXPECT_EQ(ScriptedSetting(record).list(1000)->currentText(), entry);
    }
    for (int unknown : {0x80, 0x0A, 0x13, 0x93, 0xFF}) {
        CStationData record = station();
        record.m_TimeZone = unknown;
        EXPECT_EQ(ScriptedSetting(record).list(1000)->currentText(), "0") << unknown;
    }
}

TEST_F(SettingDialogTest, LightUnitTakesItsBitsInFlags29AndKeepsTheAlarmEnables) {
    const std::pair<int, std::uint8_t> cases[] = {{0, 0x07}, {1, 0x06}, {2, 0x26}};
    for (const auto& [unit, flags] : cases) {
        CStationData record = station();
        record.m_Flags29 = 0xFF;
        ScriptedSetting dialog(record);
        dialog.list(1042)->setCurrentIndex(unit);
        dialog.clickSave();
        ASSERT_TRUE(dialog.saved);
        EXPECT_EQ(dialog.saved->m_Flags29, flags) << unit;
        EXPECT_EQ(dialog.saved->LightUnit, unit);
    }
}

TEST_F(SettingDialogTest, DisplayListsSetTheConsoleBits) {
    ScriptedSetting dialog(station());
    EXPECT_EQ(dialog.list(1024)->currentText(), "Full Date");
    EXPECT_EQ(dialog.list(1036)->currentText(), "Hour Rainfall");
    dialog.list(1036)->setCurrentIndex(dialog.list(1036)->findText("Week Rainfall"));
    dialog.list(1033)->setCurrentIndex(dialog.list(1033)->findText("DewPoint"));
    dialog.list(1024)->setCurrentIndex(dialog.list(1024)->findText("Alarm Time"));
    dialog.list(1046)->setCurrentIndex(dialog.list(1046)->findText("12 Hour"));
    dialog.list(1027)->setCurrentIndex(dialog.list(1027)->findText("24 Hour"));
    dialog.list(1034)->setCurrentIndex(dialog.list(1034)->findText("Relative Pressure"));
    dialog.clickSave();
    ASSERT_TRUE(dialog.saved);
    EXPECT_EQ(dialog.saved->m_Display2, 0x20 | 0x04);
    EXPECT_EQ(dialog.saved->m_Display1, 0x80 | 0x04 | 0x10 | 0x01);
}

TEST_F(SettingDialogTest, UnitsAreRememberedForConvertingThresholds) {
    CStationData record = station();
    record.PressureUnit = kMillimetresOfMercury;
    record.WindUnit = kBeaufort;
    record.OutTempUnit = kFahrenheit;
    ScriptedSetting dialog(record);
    dialog.list(1008)->setCurrentIndex(kInchesOfMercury);
    dialog.list(1009)->setCurrentIndex(kKnots);
    dialog.clickSave();
    ASSERT_TRUE(dialog.saved);
    EXPECT_EQ(dialog.saved->m_PrevPressureUnit, kMillimetresOfMercury);
    EXPECT_EQ(dialog.saved->PressureUnit, kInchesOfMercury);
    EXPECT_EQ(dialog.saved->m_PrevWindUnit, kBeaufort);
    EXPECT_EQ(dialog.saved->WindUnit, kKnots);
    EXPECT_EQ(dialog.saved->m_PrevOutTempUnit, kFahrenheit);
    EXPECT_EQ(dialog.saved->OutTempUnit, kFahrenheit);
}

TEST_F(SettingDialogTest, SaveNeedsAnIdleStationAndAConfirmation) {
    ScriptedSetting busy(station(), StationAccess::busy);
    EXPECT_FALSE(busy.control<QPushButton>(1)->isEnabled());
    EXPECT_EQ(busy.field(1002)->text(), "30");

    ScriptedSetting away(station(), StationAccess::disconnected);
    EXPECT_FALSE(away.control<QPushButton>(1)->isEnabled());
    EXPECT_EQ(away.field(1002)->text(), "");
    EXPECT_EQ(away.list(1000)->currentText(), "0");

    ScriptedSetting declined(station());
    declined.answer = false;
    declined.clickSave();
    EXPECT_EQ(declined.questions, 1);
    EXPECT_FALSE(declined.saved);
    EXPECT_EQ(declined.result(), QDialog::Rejected);

    ScriptedSetting confirmed(station());
    confirmed.clickSave();
    EXPECT_TRUE(confirmed.saved);
    EXPECT_EQ(confirmed.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace nimbra
