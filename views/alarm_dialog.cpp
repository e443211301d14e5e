#include "views/alarm_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <iterator>
#include <vector>

#include "config/string_ids.h"
#include "config/string_table.h"
#include "core/absent.h"
#include "core/text_forms.h"
#include "core/units.h"
#include "views/alarm_time_edit.h"
#include "views/app_icon.h"
#include "views/dialog_messages.h"
#include "views/dialog_numbers.h"

namespace nimbra {

namespace {

// How a threshold is shown and read.
enum class Kind { Humidity, InTemp, OutTemp, Pressure, Wind, Rain, Light, Uv };

// One threshold edit and the record member it shows.
struct Threshold {
    int editId;
    Kind kind;
    bool high;
    float HistoryRecord::*decimal;
    std::int32_t HistoryRecord::*whole;
};

constexpr Threshold kThresholds[] = {
    {1047, Kind::Humidity, true, nullptr, &HistoryRecord::InHumi},
    {1048, Kind::Humidity, false, nullptr, &HistoryRecord::InHumi},
    {1098, Kind::Humidity, true, nullptr, &HistoryRecord::OutHumi},
    {1121, Kind::Humidity, false, nullptr, &HistoryRecord::OutHumi},
    {1103, Kind::InTemp, true, &HistoryRecord::InTemp, nullptr},
    {1055, Kind::InTemp, false, &HistoryRecord::InTemp, nullptr},
    {1057, Kind::OutTemp, true, &HistoryRecord::OutTemp, nullptr},
    {1059, Kind::OutTemp, false, &HistoryRecord::OutTemp, nullptr},
    {1061, Kind::OutTemp, true, &HistoryRecord::DewPoint, nullptr},
    {1063, Kind::OutTemp, false, &HistoryRecord::DewPoint, nullptr},
    {1065, Kind::OutTemp, true, &HistoryRecord::WindChill, nullptr},
    {1067, Kind::OutTemp, false, &HistoryRecord::WindChill, nullptr},
    {1069, Kind::Pressure, true, &HistoryRecord::RelPressure, nullptr},
    {1071, Kind::Pressure, false, &HistoryRecord::RelPressure, nullptr},
    {1073, Kind::Pressure, true, &HistoryRecord::AbsPressure, nullptr},
    {1075, Kind::Pressure, false, &HistoryRecord::AbsPressure, nullptr},
    {1009, Kind::Wind, true, &HistoryRecord::Wind, nullptr},
    {1012, Kind::Wind, true, &HistoryRecord::Gust, nullptr},
    {1085, Kind::Rain, true, &HistoryRecord::Rain1, nullptr},
    {1087, Kind::Rain, true, &HistoryRecord::Rain2, nullptr},
    {1089, Kind::Light, true, &HistoryRecord::Light, nullptr},
    {1124, Kind::Uv, true, nullptr, &HistoryRecord::UV},
};

constexpr int kWindSpeedEdit = 1009;
constexpr int kGustSpeedEdit = 1012;
constexpr int kWindBeaufortEdit = 1116;
constexpr int kGustBeaufortEdit = 1083;

// A row of the dialog: the labelled high enable, its edit and unit, and for the
// quantities with a low threshold the unlabelled low enable, its edit and unit.
struct Row {
    int checkId;
    int nameId;
    int slot;
    int highEditId;
    int highUnitId;  // 0: a plain "%" label, -1: none
    int lowCheckId;  // 0: no low threshold
    int lowEditId;
    int lowUnitId;
};

constexpr Row kHighLowRows[] = {
    {1044, kTextIndoorHumidity, kSlotInHumi, 1047, 0, 1045, 1048, 0},
    {1050, kTextOutdoorHumidity, kSlotOutHumi, 1098, 0, 1052, 1121, 0},
    {1054, kTextIndoorTemperature, kSlotInTemp, 1103, 1102, 1056, 1055, 1122},
    {1058, kTextOutdoorTemperature, kSlotOutTemp, 1057, 1104, 1060, 1059, 1105},
    {1062, kTextDewPoint, kSlotDewPoint, 1061, 1106, 1064, 1063, 1107},
    {1066, kTextWindChill, kSlotWindChill, 1065, 1108, 1068, 1067, 1109},
    {1070, kTextRelativePressure, kSlotRelPressure, 1069, 1110, 1072, 1071, 1111},
    {1074, kTextAbsolutePressure, kSlotAbsPressure, 1073, 1112, 1076, 1075, 1113},
};

constexpr Row kHighOnlyRows[] = {
    {1078, kTextWindSpeed, kSlotWind, kWindSpeedEdit, 1114, 0, 0, 0},
    {1082, kTextGust, kSlotGust, kGustSpeedEdit, 1117, 0, 0, 0},
    {1086, kTextHourRainfall, kSlotRainHour, 1085, 1119, 0, 0, 0},
    {1088, kTextDayRainfall, kSlotRainDay, 1087, 1120, 0, 0, 0},
    {1092, kTextLight, kSlotLight, 1089, 1123, 0, 0, 0},
    {1125, kTextUvi, kSlotUV, 1124, -1, 0, 0, 0},
};

// The check boxes that "Select All" sets: everything but the light and UV alarms.
constexpr int kSelectAllIds[] = {1091, 1090, 1078, 1082, 1086, 1088};

const char* const kDirections[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                   "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

QString temperatureUnitName(int unit) {
    return unit == kFahrenheit ? QStringLiteral("\u00B0F") : QStringLiteral("\u00B0C");
}

QString pressureUnitName(int unit) {
    return unit == kInchesOfMercury        ? QStringLiteral("inHg")
           : unit == kMillimetresOfMercury ? QStringLiteral("mmHg")
                                           : QStringLiteral("hpa");
}

QString lightUnitName(int unit) {
    return QString::fromStdString(FormatLight(0.0f, unit, kUnitPart, true));
}

// Pressures in inHg and rain in inches are held as tenths of the unit.
double heldPerShown(Kind kind, const CStationData& d) {
    if (kind == Kind::Pressure && d.PressureUnit == kInchesOfMercury) {
        return 10.0;
    }
    if (kind == Kind::Rain && d.RainUnit == kInches) {
        return 10.0;
    }
    return 1.0;
}

int decimalsShown(Kind kind, const CStationData& d) {
    switch (kind) {
        case Kind::Pressure:
            return d.PressureUnit == kInchesOfMercury ? 2 : 1;
        case Kind::Wind:
            return (d.WindUnit & kBeaufort) != 0 ? 0 : 1;
        case Kind::Rain:
            return 2;
        default:
            return 1;
    }
}

QLineEdit* makeEdit(int id, bool readOnly = false) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::number(id));
    edit->setAlignment(Qt::AlignRight);
    edit->setReadOnly(readOnly);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000.0")) + 12);
    return edit;
}

QCheckBox* makeCheck(int id, const QString& text = QString()) {
    auto* check = new QCheckBox(text);
    check->setObjectName(QString::number(id));
    return check;
}

QLabel* makeUnitLabel(int id) {
    auto* label = new QLabel;
    if (id > 0) {
        label->setObjectName(QString::number(id));
    } else {
        label->setText(QStringLiteral("%"));
    }
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("W/M2")));
    return label;
}

// The valid values of a group of edits, with the bounds as the message shows them.
struct Range {
    double low, high;
    std::string lowText, highText;
};

struct RangeCheck {
    std::vector<int> edits;
    bool integers;
    Range range;
    QString name;
};

// The checks in the order they are made, for the units the station is set to.
std::vector<RangeCheck> rangeChecks(const CStationData& d, const StringLookup& strings) {
    const auto temperature = [](int unit) {
        return unit == kFahrenheit ? Range{-40, 140, "-40", "140"} : Range{-40, 60, "-40", "60"};
    };
    const Range pressure =
        d.PressureUnit == kInchesOfMercury        ? Range{14.765, 32.483, "14.765", "32.483"}
        : d.PressureUnit == kMillimetresOfMercury ? Range{375, 825, "375", "825"}
                                                  : Range{500, 1100, "500", "1100"};
    static constexpr double kWindTops[] = {50, 180, 97, 112, 12};
    const double windTop = d.WindUnit >= 0 && d.WindUnit < static_cast<int>(std::size(kWindTops))
                               ? kWindTops[d.WindUnit]
                               : kWindTops[0];
    const double rainTop = d.RainUnit == kInches ? 39.73 : 1000.0;
    const double lightTop = d.LightUnit == kLux           ? 400000.0
                            : d.LightUnit == kFootCandles ? 37161.0
                                                          : 3157.0;
    // From 0, both bounds printed with the given number of decimals.
    const auto upTo = [](double top, int decimals) {
        return Range{0, top, decimalText(0.0, decimals).toStdString(),
                     decimalText(top, decimals).toStdString()};
    };
    return {
        {{1047, 1048, 1098, 1121}, true, {1, 99, "1", "99"}, strings(kTextHumidity)},
        {{1103, 1055}, false, temperature(d.InTempUnit), strings(kTextTemperature)},
        {{1057, 1059, 1061, 1063, 1065, 1067},
         false,
         temperature(d.OutTempUnit),
         strings(kTextTemperature)},
        {{1069, 1071, 1073, 1075}, false, pressure, strings(kTextPressure)},
        {{kWindSpeedEdit, kGustSpeedEdit}, false, upTo(windTop, 0), strings(kTextWind)},
        {{kWindBeaufortEdit, kGustBeaufortEdit}, false, {0, 12, "0", "12"}, QStringLiteral("BFT ")},
        {{1085, 1087}, false, upTo(rainTop, 2), strings(kTextRainfall)},
        {{1089}, false, upTo(lightTop, 0), strings(kTextLight)},
        {{1124}, false, {0, 15, "0", "15"}, strings(kTextUvi)},
    };
}

}  // namespace

CAlarm::CAlarm(const CStationData& data, const StringLookup& strings, StationAccess access,
               StationSaveHandler onSave, QWidget* parent)
    : QDialog(parent), m_Data(data), m_strings(strings), m_onSave(std::move(onSave)) {
    setObjectName(QStringLiteral("311"));
    setWindowTitle(m_strings(kTextAlarm));
    setWindowIcon(appIcon());
    buildControls();
    if (!hasSolarSensor(m_Data.m_Kind)) {
        // A console without the solar sensor has no light or UV alarm to offer; the
        // controls stay, hidden, and carry the absent thresholds through unchanged.
        for (const char* id : {"1092", "1089", "1123", "1125", "1124"}) {
            findChild<QWidget*>(QString::fromLatin1(id))->hide();
        }
    }
    m_save->setEnabled(access == StationAccess::ready);
    ExchangeAlarms(Exchange::toControls);
}

int CAlarm::beaufortFor(float metresPerSecond, bool gust) {
    static constexpr int kWindTops[] = {2, 14, 33, 53, 78, 106, 137, 170, 206, 243, 283, 326};
    static constexpr int kGustTops[] = {2, 15, 34, 54, 79, 107, 138, 171, 207, 244, 284, 326};
    // Tenths formed as the station forms them: the product rounded to a float, then
    // truncated, so that a typed 10.7 is 107 tenths.
    const double tenths = std::trunc(static_cast<float>(metresPerSecond * 10.0f));
    const auto& tops = gust ? kGustTops : kWindTops;
    for (std::size_t beaufort = 0; beaufort < std::size(tops); ++beaufort) {
        if (tenths <= tops[beaufort]) {
            return static_cast<int>(beaufort);
        }
    }
    return 12;
}

void CAlarm::buildControls() {
    const auto& s = m_strings;

    const auto addRow = [&](QGridLayout* grid, int line, const Row& row) {
        auto* high = makeCheck(row.checkId, s(row.nameId));
        m_highEnables.insert(row.slot, high);
        m_edits.insert(row.highEditId, makeEdit(row.highEditId));
        grid->addWidget(high, line, 0);
        grid->addWidget(m_edits[row.highEditId], line, 1);
        if (row.highUnitId >= 0) {
            auto* unit = makeUnitLabel(row.highUnitId);
            m_unitLabels.insert(row.highUnitId, unit);
            grid->addWidget(unit, line, 2);
        }
        if (row.lowCheckId != 0) {
            auto* low = makeCheck(row.lowCheckId);
            m_lowEnables.insert(row.slot, low);
            m_edits.insert(row.lowEditId, makeEdit(row.lowEditId));
            auto* unit = makeUnitLabel(row.lowUnitId);
            m_unitLabels.insert(row.lowUnitId, unit);
            grid->addWidget(low, line, 3);
            grid->addWidget(m_edits[row.lowEditId], line, 4);
            grid->addWidget(unit, line, 5);
        }
    };

    auto* allHigh = makeCheck(1093, s(kTextHigh));
    auto* allLow = makeCheck(1094, s(kTextLow));
    auto* highLowGroup = new QGroupBox;
    auto* highLowGrid = new QGridLayout(highLowGroup);
    highLowGrid->addWidget(allHigh, 0, 1, 1, 2);
    highLowGrid->addWidget(allLow, 0, 3, 1, 3);
    int line = 1;
    for (const Row& row : kHighLowRows) {
        addRow(highLowGrid, line++, row);
    }
    highLowGrid->setColumnMinimumWidth(3, 24);
    highLowGrid->setRowStretch(line, 1);

    auto* highOnlyGroup = new QGroupBox;
    auto* highOnlyGrid = new QGridLayout(highOnlyGroup);
    line = 0;
    for (const Row& row : kHighOnlyRows) {
        addRow(highOnlyGrid, line++, row);
    }
    for (const auto& [speedId, beaufortId] : {std::pair{kWindSpeedEdit, kWindBeaufortEdit},
                                              std::pair{kGustSpeedEdit, kGustBeaufortEdit}}) {
        auto* beaufort = makeEdit(beaufortId, true);
        beaufort->setFixedWidth(beaufort->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                                12);
        beaufort->setFocusPolicy(Qt::NoFocus);
        m_edits.insert(beaufortId, beaufort);
        highOnlyGrid->addWidget(beaufort, speedId == kWindSpeedEdit ? 0 : 1, 3);
        highOnlyGrid->addWidget(new QLabel(QStringLiteral("bft")),
                                speedId == kWindSpeedEdit ? 0 : 1, 4);
    }

    m_windDirectionOn = makeCheck(1090, s(kTextWindDirection));
    m_windDirection = new QComboBox;
    m_windDirection->setObjectName(QStringLiteral("1100"));
    for (const char* name : kDirections) {
        m_windDirection->addItem(QString::fromLatin1(name));
    }
    highOnlyGrid->addWidget(m_windDirectionOn, line, 0);
    highOnlyGrid->addWidget(m_windDirection, line++, 1);

    m_timeAlarmOn = makeCheck(1091, s(kTextAlarmCheck));
    m_alarmTime = new AlarmTimeEdit;
    m_alarmTime->setObjectName(QStringLiteral("1046"));
    highOnlyGrid->addWidget(m_timeAlarmOn, line, 0);
    highOnlyGrid->addWidget(m_alarmTime, line++, 1);
    highOnlyGrid->setColumnStretch(5, 1);
    highOnlyGrid->setRowStretch(line, 1);

    auto* selectAll = makeCheck(1095, s(kTextSelectAll));
    m_save = new QPushButton(s(kTextSave));
    m_save->setObjectName(QStringLiteral("1"));
    m_save->setDefault(true);
    auto* exit = new QPushButton(s(kTextExit));
    exit->setObjectName(QStringLiteral("2"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(selectAll);
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(exit);

    auto* columns = new QHBoxLayout;
    columns->addWidget(highLowGroup);
    columns->addWidget(highOnlyGroup);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const auto setAll = [this](std::initializer_list<int> ids, bool checked) {
        for (int id : ids) {
            findChild<QCheckBox*>(QString::number(id))->setChecked(checked);
        }
    };
    connect(allHigh, &QCheckBox::clicked, this, [setAll](bool checked) {
        setAll({1044, 1050, 1054, 1058, 1062, 1066, 1070, 1074}, checked);
    });
    connect(allLow, &QCheckBox::clicked, this, [setAll](bool checked) {
        setAll({1045, 1052, 1056, 1060, 1064, 1068, 1072, 1076}, checked);
    });
    connect(selectAll, &QCheckBox::clicked, this, [this](bool checked) {
        for (int id : kSelectAllIds) {
            findChild<QCheckBox*>(QString::number(id))->setChecked(checked);
        }
    });
    followSpeed(kWindSpeedEdit, kWindBeaufortEdit, false);
    followSpeed(kGustSpeedEdit, kGustBeaufortEdit, true);
    connect(m_save, &QPushButton::clicked, this, &CAlarm::save);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);

    // Tab order: down the high column, then the low column, then the right-hand side.
    std::vector<QWidget*> order{allHigh};
    for (const Row& row : kHighLowRows) {
        order.push_back(m_highEnables[row.slot]);
        order.push_back(edit(row.highEditId));
    }
    order.push_back(allLow);
    for (const Row& row : kHighLowRows) {
        order.push_back(m_lowEnables[row.slot]);
        order.push_back(edit(row.lowEditId));
    }
    for (const Row& row : kHighOnlyRows) {
        order.push_back(m_highEnables[row.slot]);
        order.push_back(edit(row.highEditId));
    }
    order.insert(order.end(), {m_windDirectionOn, m_windDirection, m_timeAlarmOn, m_alarmTime,
                               selectAll, m_save, exit});
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void CAlarm::followSpeed(int speedEditId, int beaufortEditId, bool gust) {
    connect(edit(speedEditId), &QLineEdit::textChanged, this,
            [this, beaufortEditId, gust](const QString& text) {
                if (text == QLatin1String(kAbsentText)) {
                    return;
                }
                const float metres =
                    WindSpeedToMetres(static_cast<float>(leadingDecimal(text)), m_Data.WindUnit);
                edit(beaufortEditId)->setText(QString::number(beaufortFor(metres, gust)));
            });
}

void CAlarm::ExchangeAlarms(Exchange direction) {
    CStationData& d = m_Data;
    if (direction == Exchange::toControls) {
        for (const auto& [slot, check] : m_highEnables.asKeyValueRange()) {
            check->setChecked(d.m_AlarmHighOn[static_cast<std::size_t>(slot)] != 0);
        }
        for (const auto& [slot, check] : m_lowEnables.asKeyValueRange()) {
            check->setChecked(d.m_AlarmLowOn[static_cast<std::size_t>(slot)] != 0);
        }
        m_windDirectionOn->setChecked(d.m_WindDirAlarmOn != 0);
        m_timeAlarmOn->setChecked(d.m_TimeAlarmOn != 0);

        const auto setUnit = [this](std::initializer_list<int> ids, const QString& text) {
            for (int id : ids) {
                static_cast<QLabel*>(m_unitLabels.value(id))->setText(text);
            }
        };
        setUnit({1102, 1122}, temperatureUnitName(d.InTempUnit));
        setUnit({1104, 1105, 1106, 1107, 1108, 1109}, temperatureUnitName(d.OutTempUnit));
        setUnit({1110, 1111, 1112, 1113}, pressureUnitName(d.PressureUnit));
        setUnit({1114, 1117},
                QString::fromStdString(FormatWindSpeed(0.0f, d.WindUnit, kUnitPart, true)));
        setUnit({1119, 1120},
                d.RainUnit == kInches ? QStringLiteral("inch") : QStringLiteral("mm"));
        setUnit({1123}, lightUnitName(d.LightUnit));

        for (const Threshold& t : kThresholds) {
            const HistoryRecord& r = t.high ? d.m_AlarmHigh : d.m_AlarmLow;
            if (t.whole != nullptr) {
                edit(t.editId)->setText(integerText(r.*t.whole));
                continue;
            }
            const float held = r.*t.decimal;
            const double shown = static_cast<double>(held) / heldPerShown(t.kind, d);
            edit(t.editId)->setText(isAbsent(held) ? QString::fromLatin1(kAbsentText)
                                                   : decimalText(shown, decimalsShown(t.kind, d)));
        }
        edit(kWindBeaufortEdit)->setText(integerText(d.m_WindAlarmBeaufort));
        edit(kGustBeaufortEdit)->setText(integerText(d.m_GustAlarmBeaufort));

        const int direction = d.m_AlarmHigh.WindDirection;
        m_windDirection->setCurrentIndex(
            direction >= 0 && direction < m_windDirection->count() ? direction : -1);

        m_alarmTime->setAlarmTime(QTime::isValid(d.m_AlarmHour, d.m_AlarmMinute, 0)
                                      ? std::optional(QTime(d.m_AlarmHour, d.m_AlarmMinute))
                                      : std::nullopt);
        return;
    }

    for (const auto& [slot, check] : m_highEnables.asKeyValueRange()) {
        d.m_AlarmHighOn[static_cast<std::size_t>(slot)] = check->isChecked() ? 1 : 0;
    }
    for (const auto& [slot, check] : m_lowEnables.asKeyValueRange()) {
        d.m_AlarmLowOn[static_cast<std::size_t>(slot)] = check->isChecked() ? 1 : 0;
    }
    d.m_WindDirAlarmOn = m_windDirectionOn->isChecked() ? 1 : 0;
    d.m_TimeAlarmOn = m_timeAlarmOn->isChecked() ? 1 : 0;

    // A field still showing the absent text leaves its threshold absent rather than
    // turning it into a 0 the user never typed.
    for (const Threshold& t : kThresholds) {
        HistoryRecord& r = t.high ? d.m_AlarmHigh : d.m_AlarmLow;
        const QString text = edit(t.editId)->text();
        if (t.whole != nullptr) {
            r.*t.whole = showsAbsent(text) ? kAbsentInt : leadingInteger(text);
        } else {
            r.*t.decimal = showsAbsent(text)
                               ? kAbsent
                               : static_cast<float>(leadingDecimal(text) * heldPerShown(t.kind, d));
        }
    }
    const auto beaufort = [this](int id) {
        const QString text = edit(id)->text();
        return showsAbsent(text) ? kAbsentInt : leadingInteger(text);
    };
    d.m_WindAlarmBeaufort = beaufort(kWindBeaufortEdit);
    d.m_GustAlarmBeaufort = beaufort(kGustBeaufortEdit);

    const std::optional<QTime> time = m_alarmTime->alarmTime();
    d.m_AlarmHour = time ? time->hour() : -1;
    d.m_AlarmMinute = time ? time->minute() : -1;

    d.m_AlarmHigh.WindDirection = m_windDirection->currentIndex();
}

bool CAlarm::ValidateAlarms() {
    for (const RangeCheck& check : rangeChecks(m_Data, m_strings)) {
        for (int id : check.edits) {
            const QString text = edit(id)->text();
            if (showsAbsent(text)) {
                continue;
            }
            const double value =
                check.integers ? static_cast<double>(leadingInteger(text)) : leadingDecimal(text);
            if (value < check.range.low || value > check.range.high) {
                const std::string bounds =
                    fillTextArguments(m_strings(kTextRangeOfValues).toStdString(),
                                      {check.range.lowText, check.range.highText});
                showRangeError(check.name + QString::fromStdString(bounds));
                edit(id)->setFocus();
                edit(id)->selectAll();
                return false;
            }
        }
    }
    return true;
}

bool CAlarm::confirmSave() {
    return askOkCancel(this, m_strings(kTextSaveQuestion));
}

void CAlarm::showRangeError(const QString& message) {
    showInputProblem(this, message);
}

void CAlarm::save() {
    ExchangeAlarms(Exchange::toRecord);
    if (!ValidateAlarms()) {
        return;
    }
    if (!confirmSave()) {
        return;
    }
    if (m_onSave) {
        m_onSave(m_Data);
    }
    accept();
}

}  // namespace nimbra
