#include "views/alarm_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <optional>

#include "core/absent.h"
#include "core/units.h"
#include "tests/support/english_strings.h"
#include "tests/support/qt_application.h"
#include "views/alarm_time_edit.h"

namespace nimbra {
namespace {

// Answers the dialog's message boxes without showing them.
class ScriptedAlarm : public CAlarm {
public:
    explicit ScriptedAlarm(const CStationData& data, StationAccess access = StationAccess::ready)
        : CAlarm(data, testing::englishStrings(), access,
                 [this](const CStationData& saved) { this->saved = saved; }) {}

    template <typename Widget>
    Widget* control(int id) const {
        auto* widget = findChild<Widget*>(QString::number(id));
        EXPECT_NE(widget, nullptr) << id;
        return widget;
    }
    QLineEdit* field(int id) const { return control<QLineEdit>(id); }
    QCheckBox* check(int id) const { return control<QCheckBox>(id); }
    void clickSave() { control<QPushButton>(1)->click(); }

    std::vector<QString> messages;
    int questions = 0;
    std::optional<CStationData> saved;

protected:
    bool confirmSave() override {
        ++questions;
        return true;
    }
    void showRangeError(const QString& message) override { messages.push_back(message); }
};

// A station whose every threshold is set and in range.
CStationData station() {
    CStationData d;
    HistoryRecord& hi = d.m_AlarmHigh;
    HistoryRecord& lo = d.m_AlarmLow;
    hi.InHumi = 70;
    lo.InHumi = 30;
    hi.OutHumi = 90;
    lo.OutHumi = 20;
    hi.InTemp = 28.5f;
    lo.InTemp = 10.0f;
    hi.OutTemp = 35.0f;
    lo.OutTemp = -12.3f;
    hi.DewPoint = 20.0f;
    lo.DewPoint = -5.0f;
    hi.WindChill = 10.0f;
    lo.WindChill = -20.0f;
    hi.RelPressure = 1040.0f;
    lo.RelPressure = 960.0f;
    hi.AbsPressure = 1030.0f;
    lo.AbsPressure = 950.0f;
    hi.Wind = 10.0f;
    hi.Gust = 15.0f;
    d.m_WindAlarmBeaufort = 5;
    d.m_GustAlarmBeaufort = 7;
    hi.Rain1 = 12.5f;
    hi.Rain2 = 50.0f;
    hi.Light = 3000.0f;
    hi.UV = 9;
    hi.WindDirection = 3;
    d.m_AlarmHour = 7;
    d.m_AlarmMinute = 45;
    return d;
}

class AlarmDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }
};

TEST_F(AlarmDialogTest, RangesAreCheckedInOrderAndTheFirstViolationIsReported) {
    struct Case {
        int inTempUnit, pressureUnit, windUnit, rainUnit, lightUnit;
        int editId;
        const char* typed;
        const char* message;  // empty: accepted
    };
    const Case cases[] = {
        {0, 0, 0, 0, 1, 1047, "0", "Humidity  Range of values: 1 to 99"},
        {0, 0, 0, 0, 1, 1121, "100", "Humidity  Range of values: 1 to 99"},
        {0, 0, 0, 0, 1, 1048, "99", ""},
        {0, 0, 0, 0, 1, 1103, "60.0", ""},
        {0, 0, 0, 0, 1, 1103, "60.1", "Temperature  Range of values: -40 to 60"},
        {1, 0, 0, 0, 1, 1055, "140.0", ""},
        {1, 0, 0, 0, 1, 1055, "140.1", "Temperature  Range of values: -40 to 140"},
        {0, 0, 0, 0, 1, 1067, "-40.1", "Temperature  Range of values: -40 to 60"},
        {0, 1, 0, 0, 1, 1069, "32.50", "Pressure  Range of values: 14.765 to 32.483"},
        {0, 1, 0, 0, 1, 1075, "14.765", ""},
        {0, 2, 0, 0, 1, 1071, "374", "Pressure  Range of values: 375 to 825"},
        {0, 0, 0, 0, 1, 1073, "1100.1", "Pressure  Range of values: 500 to 1100"},
        {0, 0, 1, 0, 1, 1012, "180.1", "Wind  Range of values: 0 to 180"},
        {0, 0, 2, 0, 1, 1009, "97.5", "Wind  Range of values: 0 to 97"},
        {0, 0, 0, 0, 1, 1116, "13", "BFT   Range of values: 0 to 12"},
        {0, 0, 0, 1, 1, 1085, "39.74", "Rainfall  Range of values: 0.00 to 39.73"},
        {0, 0, 0, 0, 1, 1087, "1000.01", "Rainfall  Range of values: 0.00 to 1000.00"},
        {0, 0, 0, 0, 0, 1089, "37162", "Light  Range of values: 0 to 37161"},
        {0, 0, 0, 0, 2, 1089, "3157", ""},
        {0, 0, 0, 0, 1, 1124, "16", "UVI  Range of values: 0 to 15"},
        {0, 0, 0, 0, 1, 1124, "abc", ""},
    };
    for (const Case& c : cases) {
        CStationData d = station();
        d.InTempUnit = c.inTempUnit;
        d.PressureUnit = c.pressureUnit;
        d.WindUnit = c.windUnit;
        d.RainUnit = c.rainUnit;
        d.LightUnit = c.lightUnit;
        if (c.pressureUnit == kInchesOfMercury) {  // held as tenths of an inch
            for (float* p : {&d.m_AlarmHigh.RelPressure, &d.m_AlarmLow.RelPressure,
                             &d.m_AlarmHigh.AbsPressure, &d.m_AlarmLow.AbsPressure}) {
                *p = static_cast<float>(*p / 3.38638);
            }
        } else if (c.pressureUnit == kMillimetresOfMercury) {
            for (float* p : {&d.m_AlarmHigh.RelPressure, &d.m_AlarmLow.RelPressure,
                             &d.m_AlarmHigh.AbsPressure, &d.m_AlarmLow.AbsPressure}) {
                *p = static_cast<float>(*p / 1.33322);
            }
        }
        ScriptedAlarm dialog(d);
        dialog.field(c.editId)->setText(QString::fromLatin1(c.typed));
        dialog.clickSave();
        const QString expected = QString::fromLatin1(c.message);
        if (expected.isEmpty()) {
            EXPECT_TRUE(dialog.messages.empty())
                << c.editId << " " << c.typed << ": " << dialog.messages.front().toStdString();
            EXPECT_TRUE(dialog.saved) << c.typed;
        } else {
            ASSERT_EQ(dialog.messages.size(), 1u) << c.editId << " " << c.typed;
            EXPECT_EQ(dialog.messages.front(), expected);
            EXPECT_FALSE(dialog.saved);
            EXPECT_EQ(dialog.questions, 0);
        }
    }
}

TEST_F(AlarmDialogTest, OnlyTheFirstOfSeveralViolationsIsShown) {
    ScriptedAlarm dialog(station());
    dialog.field(1124)->setText("20");
    dialog.field(1103)->setText("99");
    dialog.field(1048)->setText("0");
    dialog.clickSave();
    ASSERT_EQ(dialog.messages.size(), 1u);
    EXPECT_TRUE(dialog.messages.front().startsWith("Humidity"));
}

TEST_F(AlarmDialogTest, PressureAndRainInInchesAreHeldAsTenths) {
    CStationData d = station();
    d.PressureUnit = kInchesOfMercury;
    d.RainUnit = kInches;
    d.m_AlarmHigh.RelPressure = 300.0f;
    d.m_AlarmLow.RelPressure = 290.0f;
    d.m_AlarmHigh.AbsPressure = 299.0f;
    d.m_AlarmLow.AbsPressure = 280.0f;
    d.m_AlarmHigh.Rain1 = 5.0f;
    ScriptedAlarm dialog(d);
    EXPECT_EQ(dialog.field(1069)->text(), "30.00");
    EXPECT_EQ(dialog.field(1085)->text(), "0.50");
    EXPECT_EQ(dialog.control<QLabel>(1110)->text(), "inHg");
    EXPECT_EQ(dialog.control<QLabel>(1119)->text(), "inch");
    dialog.field(1069)->setText("29.92");
    dialog.field(1087)->setText("1.25");
    dialog.clickSave();
    ASSERT_TRUE(dialog.saved);
    EXPECT_FLOAT_EQ(dialog.saved->m_AlarmHigh.RelPressure, 299.2f);
    EXPECT_FLOAT_EQ(dialog.saved->m_AlarmHigh.Rain2, 12.5f);
    EXPECT_EQ(ScriptedAlarm(*dialog.saved).field(1069)->text(), "29.92");
}

TEST_F(AlarmDialogTest, BeaufortNumbersFollowTheSpeedEdits) {
    struct Case {
        int windUnit;
        const char* speed;
        const char* wind;
        const char* gust;
    };
    const Case cases[] = {
        {kMetresPerSecond, "3.3", "2", "2"},  {kMetresPerSecond, "3.4", "3", "2"},
        {kMetresPerSecond, "0.3", "1", "1"},  {kMetresPerSecond, "1.5", "2", "1"},
        {kMetresPerSecond, "10.7", "6", "5"}, {kMetresPerSecond, "33", "12", "12"},
        {kKilometresPerHour, "36", "5", "5"}, {kBeaufort, "3", "4", "3"}};
    for (const Case& c : cases) {
        CStationData d = station();
        d.WindUnit = c.windUnit;
        ScriptedAlarm dialog(d);
        dialog.field(1009)->setText(QString::fromLatin1(c.speed));
        dialog.field(1012)->setText(QString::fromLatin1(c.speed));
        EXPECT_EQ(dialog.field(1116)->text(), c.wind) << c.speed << " in " << c.windUnit;
        EXPECT_EQ(dialog.field(1083)->text(), c.gust) << c.speed << " in " << c.windUnit;
    }
    ScriptedAlarm dialog(station());
    EXPECT_EQ(dialog.field(1116)->text(), "5");  // the station's own number until edited
    dialog.field(1009)->setText("--.-");
    EXPECT_EQ(dialog.field(1116)->text(), "5");
}

TEST_F(AlarmDialogTest, TimeAlarmWithoutSecondsAndBlankAsMinusOne) {
    ScriptedAlarm dialog(station());
    auto* picker = dialog.control<AlarmTimeEdit>(1046);
    EXPECT_FALSE(picker->displayFormat().contains("ss"));
    picker->setTime(QTime(21, 5));
    dialog.clickSave();
    ASSERT_TRUE(dialog.saved);
    EXPECT_EQ(dialog.saved->m_AlarmHour, 21);
    EXPECT_EQ(dialog.saved->m_AlarmMinute, 5);

    CStationData unreadable = station();
    unreadable.m_AlarmHour = 165;  // what 0xFF reads as
    unreadable.m_AlarmMinute = 165;
    ScriptedAlarm blank(unreadable);
    EXPECT_EQ(blank.control<QTimeEdit>(1046)->text(), "--:--");
    blank.clickSave();
    ASSERT_TRUE(blank.saved);
    EXPECT_EQ(blank.saved->m_AlarmHour, -1);
    EXPECT_EQ(blank.saved->m_AlarmMinute, -1);

    ScriptedAlarm midnight(station());
    midnight.control<AlarmTimeEdit>(1046)->setAlarmTime(QTime(0, 0));
    midnight.clickSave();
    ASSERT_TRUE(midnight.saved);
    EXPECT_EQ(midnight.saved->m_AlarmHour, 0);
    EXPECT_EQ(midnight.saved->m_AlarmMinute, 0);
}

TEST_F(AlarmDialogTest, GroupCheckBoxesSetTheirWholeGroup) {
    const std::vector<int> lows = {1045, 1052, 1056, 1060, 1064, 1068, 1072, 1076};
    const std::vector<int> highs = {1044, 1050, 1054, 1058, 1062, 1066, 1070, 1074};
    const std::vector<int> others = {1091, 1090, 1078, 1082, 1086, 1088};
    ScriptedAlarm dialog(station());
    dialog.check(1094)->click();
    for (int id : lows) {
        EXPECT_TRUE(dialog.check(id)->isChecked()) << id;
    }
    for (int id : highs) {
        EXPECT_FALSE(dialog.check(id)->isChecked()) << id;
    }
    dialog.check(1094)->click();
    for (int id : lows) {
        EXPECT_FALSE(dialog.check(id)->isChecked()) << id;
    }
    dialog.check(1093)->click();
    dialog.check(1095)->click();
    for (int id : highs) {
        EXPECT_TRUE(dialog.check(id)->isChecked()) << id;
    }
    for (int id : others) {
        EXPECT_TRUE(dialog.check(id)->isChecked()) << id;
    }
    EXPECT_FALSE(dialog.check(1092)->isChecked());  // light
    EXPECT_FALSE(dialog.check(1125)->isChecked());  // UV

    dialog.clickSave();
    ASSERT_TRUE(dialog.saved);
    for (int slot :
         {kSlotInTemp, kSlotInHumi, kSlotDewPoint, kSlotAbsPressure, kSlotWind, kSlotRainDay}) {
        EXPECT_EQ(dialog.saved->m_AlarmHighOn[static_cast<std::size_t>(slot)], 1) << slot;
        EXPECT_EQ(dialog.saved->m_AlarmLowOn[static_cast<std::size_t>(slot)], 0) << slot;
    }
    EXPECT_EQ(dialog.saved->m_AlarmHighOn[kSlotLight], 0);
    EXPECT_EQ(dialog.saved->m_TimeAlarmOn, 1);
    EXPECT_EQ(dialog.saved->m_WindDirAlarmOn, 1);
}

TEST_F(AlarmDialogTest, RecordIsShownInTheStationsUnitsAndReadBackUnchanged) {
    CStationData d = station();
    d.OutTempUnit = kFahrenheit;
    d.WindUnit = kBeaufort;
    d.m_AlarmHigh.Wind = 5.0f;
    d.m_AlarmHigh.Gust = 7.0f;
    d.LightUnit = kWattsPerSquareMetre;
    d.m_AlarmHigh.Light = 300.0f;
    d.m_AlarmHighOn[kSlotOutTemp] = 1;
    d.m_AlarmLowOn[kSlotRelPressure] = 1;
    ScriptedAlarm dialog(d);
    EXPECT_EQ(dialog.field(1059)->text(), "-12.3");
    EXPECT_EQ(dialog.field(1009)->text(), "5");
    EXPECT_EQ(dialog.field(1047)->text(), "70");
    EXPECT_EQ(dialog.control<QLabel>(1104)->text(), "\u00B0F");
    EXPECT_EQ(dialog.control<QLabel>(1102)->text(), "\u00B0C");
    EXPECT_EQ(dialog.control<QLabel>(1114)->text(), "bft");
    EXPECT_EQ(dialog.control<QLabel>(1123)->text(), "W/M2");
    EXPECT_EQ(dialog.control<QComboBox>(1100)->currentText(), "ENE");
    EXPECT_TRUE(dialog.check(1058)->isChecked());
    EXPECT_TRUE(dialog.check(1072)->isChecked());

    dialog.clickSave();
    ASSERT_TRUE(dialog.messages.empty()) << dialog.messages.front().toStdString();
    ASSERT_TRUE(dialog.saved);
    EXPECT_EQ(dialog.saved->m_AlarmHigh, d.m_AlarmHigh);
    EXPECT_EQ(dialog.saved->m_AlarmLow, d.m_AlarmLow);
    EXPECT_EQ(dialog.saved->m_AlarmHighOn, d.m_AlarmHighOn);
    EXPECT_EQ(dialog.saved->m_AlarmLowOn, d.m_AlarmLowOn);
}

TEST_F(AlarmDialogTest, UntouchedAbsentThresholdsStayAbsent) {
    CStationData d = station();
    d.m_AlarmHigh.InTemp = kAbsent;
    d.m_AlarmLow.InHumi = kAbsentInt;
    d.m_AlarmHigh.Gust = kAbsent;
    d.m_GustAlarmBeaufort = kAbsentInt;
    ScriptedAlarm dialog(d);
    EXPECT_EQ(dialog.field(1103)->text(), "--.-");
    EXPECT_EQ(dialog.field(1048)->text(), "--");
    EXPECT_EQ(dialog.field(1083)->text(), "--");
    dialog.clickSave();
    ASSERT_TRUE(dialog.messages.empty());
    ASSERT_TRUE(dialog.saved);
    EXPECT_TRUE(isAbsent(dialog.saved->m_AlarmHigh.InTemp));
    EXPECT_TRUE(isAbsent(dialog.saved->m_AlarmLow.InHumi));
    EXPECT_TRUE(isAbsent(dialog.saved->m_AlarmHigh.Gust));
    EXPECT_TRUE(isAbsent(dialog.saved->m_GustAlarmBeaufort));
}

TEST_F(AlarmDialogTest, AConsoleWithoutTheSolarSensorIsOfferedNoLightOrUvAlarm) {
    for (const StationKind kind : {StationKind::records16, StationKind::records20}) {
        CStationData d = station();
        d.m_Kind = kind;
        if (!hasSolarSensor(kind)) {
            d.m_AlarmHigh.Light = kAbsent;  // as read from such a console
            d.m_AlarmHigh.UV = kAbsentInt;
        }
        ScriptedAlarm dialog(d);
        for (int id : {1092, 1089, 1125, 1124}) {
            EXPECT_EQ(dialog.control<QWidget>(id)->isHidden(), !hasSolarSensor(kind)) << id;
        }
        EXPECT_FALSE(dialog.control<QWidget>(1047)->isHidden());
        dialog.clickSave();
        ASSERT_TRUE(dialog.saved);
        EXPECT_EQ(isAbsent(dialog.saved->m_AlarmHigh.Light), !hasSolarSensor(kind));
        EXPECT_EQ(isAbsent(dialog.saved->m_AlarmHigh.UV), !hasSolarSensor(kind));
    }
}

TEST_F(AlarmDialogTest, SaveIsOfferedOnlyWhileTheStationIsIdle) {
    for (StationAccess access : {StationAccess::disconnected, StationAccess::busy}) {
        ScriptedAlarm dialog(station(), access);
        EXPECT_FALSE(dialog.control<QPushButton>(1)->isEnabled());
        EXPECT_EQ(dialog.field(1047)->text(), "70");  // browsable all the same
    }
    EXPECT_TRUE(ScriptedAlarm(station()).control<QPushButton>(1)->isEnabled());
}

TEST_F(AlarmDialogTest, TimeFieldIsBlankedByErasingAndFilledByTypingOrStepping) {
    AlarmTimeEdit picker;
    picker.setDisplayFormat("HH:mm");
    picker.setAlarmTime(QTime(7, 45));
    picker.selectAll();
    QTest::keyClick(&picker, Qt::Key_Delete);
    EXPECT_FALSE(picker.alarmTime());
    EXPECT_EQ(picker.text(), "--:--");

    QTest::keyClicks(&picker, "0930");
    EXPECT_EQ(picker.alarmTime(), QTime(9, 30));

    picker.setAlarmTime(std::nullopt);
    QTest::keyClick(&picker, Qt::Key_Up);
    ASSERT_TRUE(picker.alarmTime());
    EXPECT_NE(picker.text(), "--:--");
}

}  // namespace
}  // namespace nimbra
