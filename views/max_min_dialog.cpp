#include "views/max_min_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "config/string_ids.h"
#include "core/absent.h"
#include "core/text_forms.h"
#include "report/live_texts.h"
#include "views/ole_date_qt.h"

namespace nimbra {

namespace {

const QString kNoTime = QStringLiteral("------------");

struct Group {
    int groupId;
    int titleId;
    int slot;
    int highValueId, highTimeId, lowValueId, lowTimeId;  // 0: no low row
};

constexpr Group kLeftGroups[] = {
    {1126, kTextIndoorHumidity, kSlotInHumi, 1123, 1124, 1127, 1128},
    {1159, kTextOutdoorHumidity, kSlotOutHumi, 1129, 1130, 1131, 1132},
    {1161, kTextIndoorTemperature, kSlotInTemp, 1133, 1134, 1135, 1136},
    {1162, kTextOutdoorTemperature, kSlotOutTemp, 1137, 1138, 1139, 1140},
    {1163, kTextDewPoint, kSlotDewPoint, 1141, 1142, 1143, 1144},
    {1164, kTextWindChill, kSlotWindChill, 1145, 1146, 1147, 1148},
    {1177, kTextAbsolutePressure, kSlotAbsPressure, 1149, 1150, 1151, 1152},
    {1180, kTextRelativePressure, kSlotRelPressure, 1153, 1154, 1155, 1156},
};

constexpr Group kRightGroups[] = {
    {1184, kTextWindSpeed, kSlotWind, 1157, 1158, 0, 0},
    {1186, kTextGust, kSlotGust, 1165, 1166, 0, 0},
    {1204, kTextHourRainfall, kSlotRainHour, 1167, 1168, 0, 0},
    {1205, kTextDayRainfall, kSlotRainDay, 1169, 1170, 0, 0},
    {1206, kTextWeekRainfall, kSlotRainWeek, 1171, 1172, 0, 0},
    {1207, kTextMonthRainfall, kSlotRainMonth, 1173, 1174, 0, 0},
    {1208, kTextTotalRainfall, kSlotRainTotal, 1175, 1176, 0, 0},
    {1209, kTextLight, kSlotLight, 1178, 1179, 0, 0},
    {1210, kTextUvi, kSlotUV, 1181, 1182, 0, 0},
};

// The value text of one slot of a reading block, in the user's units.
std::string valueText(const CStationData& d, const HistoryRecord& r, int slot) {
    switch (slot) {
        case kSlotInTemp:
            return TemperatureText(r.InTemp, d.InTempUnit);
        case kSlotInHumi:
            return HumidityText(r.InHumi);
        case kSlotOutTemp:
            return TemperatureText(r.OutTemp, d.OutTempUnit);
        case kSlotOutHumi:
            return HumidityText(r.OutHumi);
        case kSlotRelPressure:
            return PressureText(r.RelPressure, d.PressureUnit);
        case kSlotAbsPressure:
            return PressureText(r.AbsPressure, d.PressureUnit);
        case kSlotWind:
            return FormatWindSpeed(r.Wind, d.WindUnit, kNumberAndUnit, false);
        case kSlotGust:
            return FormatWindSpeed(r.Gust, d.WindUnit, kNumberAndUnit, false);
        case kSlotWindChill:
            return TemperatureText(r.WindChill, d.OutTempUnit);
        case kSlotDewPoint:
            return TemperatureText(r.DewPoint, d.OutTempUnit);
        case kSlotRainHour:
            return RainText(r.Rain1, d.RainUnit);
        case kSlotRainDay:
            return RainText(r.Rain2, d.RainUnit);
        case kSlotRainWeek:
            return RainText(r.Rain3, d.RainUnit);
        case kSlotRainMonth:
            return RainText(r.Rain4, d.RainUnit);
        case kSlotRainTotal:
            return RainText(r.Rain5, d.RainUnit);
        case kSlotLight:
            return LightText(r.Light, d.LightUnit);
        default:
            return UvText(r.UV);
    }
}

QString timeText(double stamp) {
    return stamp == static_cast<double>(kAbsent) ? kNoTime : localeDateTimeText(OleDate(stamp));
}

QLineEdit* readOnlyField(int id, const QString& text) {
    auto* field = new QLineEdit(text);
    field->setObjectName(QString::number(id));
    field->setReadOnly(true);
    // Wide enough for the whole text, and showing its start: the locale's short form can
    // be longer than the usual 110 pixels ("14 Jul 2024 15:30:05" under C.UTF-8), and a
    // field scrolled to its end would hide the day and month.
    const QMargins margins = field->textMargins() + field->contentsMargins();
    field->setMinimumWidth(std::max(
        110, field->fontMetrics().horizontalAdvance(text) + margins.left() + margins.right() + 12));
    field->setCursorPosition(0);
    return field;
}

}  // namespace

CMaxMin::CMaxMin(const CStationData& data, const StringLookup& strings, QWidget* parent)
    : QDialog(parent), m_Data(data) {
    setObjectName(QStringLiteral("319"));
    setWindowTitle(strings(kTextMaxMin));
    const QString maxLabel = strings(kTextMax) + QLatin1Char(':');
    const QString minLabel = strings(kTextMin) + QLatin1Char(':');

    const auto makeGroup = [&](const Group& g) {
        auto* box = new QGroupBox(strings(g.titleId));
        box->setObjectName(QString::number(g.groupId));
        auto* grid = new QGridLayout(box);
        grid->addWidget(new QLabel(maxLabel), 0, 0);
        grid->addWidget(readOnlyField(g.highValueId, QString::fromStdString(
                                                         valueText(m_Data, m_Data.m_Max, g.slot))),
                        0, 1);
        grid->addWidget(readOnlyField(g.highTimeId,
                                      timeText(m_Data.m_MaxTime[static_cast<std::size_t>(g.slot)])),
                        0, 2);
        if (g.lowValueId != 0) {
            grid->addWidget(new QLabel(minLabel), 1, 0);
            grid->addWidget(readOnlyField(g.lowValueId, QString::fromStdString(valueText(
                                                            m_Data, m_Data.m_Min, g.slot))),
                            1, 1);
            grid->addWidget(
                readOnlyField(g.lowTimeId,
                              timeText(m_Data.m_MinTime[static_cast<std::size_t>(g.slot)])),
                1, 2);
        }
        return box;
    };

    // The two-row groups in two columns of four, so that the dialog fits a laptop screen
    // (1366 by 768 less a panel) in every language; stacked in one column it was 820 high.
    auto* left = new QVBoxLayout;
    auto* middle = new QVBoxLayout;
    int placed = 0;
    for (const auto& group : kLeftGroups) {
        (placed++ < std::ssize(kLeftGroups) / 2 ? left : middle)->addWidget(makeGroup(group));
    }
    left->addStretch();
    middle->addStretch();
    auto* right = new QVBoxLayout;
    for (const auto& group : kRightGroups) {
        right->addWidget(makeGroup(group));
    }
    right->addStretch();

    auto* exit = new QPushButton(strings(kTextExit));
    exit->setObjectName(QStringLiteral("2"));
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
}

QString CMaxMin::fieldText(int controlId) const {
    const auto* field = findChild<QLineEdit*>(QString::number(controlId));
    return field != nullptr ? field->text() : QString();
}

}  // namespace nimbra
