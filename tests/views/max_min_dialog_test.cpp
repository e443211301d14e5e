#include "views/max_min_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QLocale>

#include "core/units.h"
#include "tests/support/qt_application.h"

namespace nimbra {
namespace {

class MaxMinDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testing::qtApplication();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }
    static QString lookup(int id) { return QStringLiteral("s%1").arg(id); }
};

TEST_F(MaxMinDialogTest, NothingRecordedYetShowsAbsentValuesAndNoTimes) {
    const CMaxMin dialog(CStationData{}, lookup);
    EXPECT_EQ(dialog.windowTitle(), "s3044");
    EXPECT_EQ(dialog.fieldText(1123), "-- %");          // indoor humidity high
    EXPECT_EQ(dialog.fieldText(1133), "--.- \u00B0C");  // indoor temperature high
    EXPECT_EQ(dialog.fieldText(1155), "--.- hpa");      // relative pressure low
    EXPECT_EQ(dialog.fieldText(1157), "--.- m/s");
    EXPECT_EQ(dialog.fieldText(1181), "--  ");  // UV
    for (int timeField : {1124, 1128, 1150, 1158, 1176, 1182}) {
        EXPECT_EQ(dialog.fieldText(timeField), "------------") << timeField;
    }
}

TEST_F(MaxMinDialogTest, ValuesInTheUsersUnitsWithTheirTimes) {
    CStationData data;
    data.PressureUnit = kInchesOfMercury;
    data.OutTempUnit = kFahrenheit;
    data.WindUnit = kBeaufort;
    data.m_Max.RelPressure = 1013.25f;
    data.m_Max.OutTemp = 30.0f;
    data.m_Min.DewPoint = -10.0f;
    data.m_Max.Gust = 10.0f;
    data.m_MaxTime[kSlotRelPressure] = OleDate::fromCivil(2024, 7, 14, 15, 30, 5).value();
    const CMaxMin dialog(data, lookup);
    EXPECT_EQ(dialog.fieldText(1153), "29.92 inHg");
    EXPECT_EQ(dialog.fieldText(1137), "86.0 \u00B0F");
    EXPECT_EQ(dialog.fieldText(1143), "14.0 \u00B0F");
    EXPECT_EQ(dialog.fieldText(1165), "5 bft");
    EXPECT_EQ(dialog.fieldText(1154), "14/07/2024 15:30");
    EXPECT_EQ(dialog.fieldText(1156), "------------");
}

// Under LANG=C.UTF-8 the short form is long; the field still shows it whole, from the day.
TEST_F(MaxMinDialogTest, TimeFieldsShowTheWholeTimeInTheCLocale) {
    QLocale::setDefault(QLocale::c());
    CStationData data;
    data.m_MaxTime[kSlotRelPressure] = OleDate::fromCivil(2024, 7, 14, 15, 30, 5).value();
    CMaxMin dialog(data, lookup);
    dialog.show();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("1154"));
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(field->text().startsWith(QStringLiteral("14 Jul 2024")))
        << field->text().toStdString();
    EXPECT_EQ(field->cursorPosition(), 0);
    EXPECT_GT(field->width(), field->fontMetrics().horizontalAdvance(field->text()))
        << field->text().toStdString();
}

}  // namespace
}  // namespace nimbra
