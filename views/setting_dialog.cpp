#include "views/setting_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "config/string_ids.h"
#include "config/string_table.h"
#include "core/absent.h"
#include "core/display_settings.h"
#include "core/units.h"
#include "views/app_icon.h"
#include "views/dialog_messages.h"
#include "views/dialog_numbers.h"
#include "views/num_edit_ctrl.h"

namespace nimbra {

namespace {

constexpr int kTimeZoneEntries = 25;
constexpr int kUtcPosition = 12;
constexpr int kShortestInterval = 5;
constexpr int kLongestInterval = 240;
constexpr float kLowestRelPressure = 300.0f;
constexpr float kHighestRelPressure = 2000.0f;
constexpr double kHectopascalPerInch = 33.8638;
constexpr double kHectopascalPerMillimetre = 1.3333;

const QString kDegreesCelsius = QStringLiteral("\u00B0C");
const QString kDegreesFahrenheit = QStringLiteral("\u00B0F");

QString pressureUnitName(int unit) {
    return unit == kInchesOfMercury        ? QStringLiteral("inhg")
           : unit == kMillimetresOfMercury ? QStringLiteral("mmhg")
                                           : QStringLiteral("hpa");
}

QString pressureText(float hectopascal, int unit) {
    return decimalText(ConvertPressure(hectopascal, unit), unit == kInchesOfMercury ? 2 : 1);
}

QComboBox* makeList(int id, const QStringList& entries) {
    auto* list = new QComboBox;
    list->setObjectName(QString::number(id));
    list->addItems(entries);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

// Hidden until a typed value had to be brought into the station's range.
QLabel* makeRangeNote(const QString& name) {
    auto* note = new QLabel;
    note->setObjectName(name);
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: #b00000"));
    note->hide();
    return note;
}

QLabel* makeLabel(int id, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(QString::number(id));
    return label;
}

QGroupBox* makeGroup(int id, const QString& title) {
    auto* group = new QGroupBox(title);
    group->setObjectName(QString::number(id));
    return group;
}

// A unit code read from the station selects its entry; a code the list does not know
// selects the first, so that saving never stores a code outside the list.
void selectEntry(QComboBox* list, int position) {
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : 0);
}

}  // namespace

CSetting::CSetting(const CStationData& data, const StringLookup& strings, StationAccess access,
                   StationSaveHandler onSave, QWidget* parent)
    : QDialog(parent), m_Data(data), m_strings(strings), m_onSave(std::move(onSave)) {
    setObjectName(QStringLiteral("310"));
    setWindowTitle(m_strings(kTextSetting));
    setWindowIcon(appIcon());
    buildControls();
    m_save->setEnabled(access == StationAccess::ready);
    if (access != StationAccess::disconnected) {
        ExchangeSettings(Exchange::toControls);
    }
}

int CSetting::timeZoneCode(int position) {
    const int hours = position - kUtcPosition;
    const int magnitude = std::abs(hours);
    const int bcd = (magnitude / 10) * 16 + magnitude % 10;
    return hours < 0 ? 0x80 | bcd : bcd;
}

int CSetting::timeZonePosition(int code) {
    for (int position = 0; position < kTimeZoneEntries; ++position) {
        if (timeZoneCode(position) == code) {
            return position;
        }
    }
    return kUtcPosition;
}

void CSetting::buildControls() {
    const auto& s = m_strings;
    const QString hour = s(kTextHour);

    QStringList zones;
    for (int position = 0; position < kTimeZoneEntries; ++position) {
        const int hours = position - kUtcPosition;
        zones << (hours > 0 ? QStringLiteral("+%1").arg(hours) : QString::number(hours));
    }
    m_timeZone = makeList(1000, zones);
    m_timeZone->setCurrentIndex(kUtcPosition);
    auto* zoneGroup = makeGroup(1001, s(kTextTimeZone));
    auto* zoneLayout = new QHBoxLayout(zoneGroup);
    zoneLayout->addWidget(m_timeZone);
    zoneLayout->addStretch();

    m_interval = new QLineEdit;
    m_interval->setObjectName(QStringLiteral("1002"));
    m_interval->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_interval));
    m_interval->setMaxLength(3);
    m_interval->setAlignment(Qt::AlignRight);
    m_interval->setFixedWidth(m_interval->fontMetrics().horizontalAdvance(QStringLiteral("0000")) +
                              16);
    auto* intervalGroup = makeGroup(1003, s(kTextInterval));
    auto* intervalLayout = new QHBoxLayout;
    intervalLayout->addWidget(m_interval);
    intervalLayout->addWidget(makeLabel(1004, s(kTextMinute)));
    intervalLayout->addStretch();
    m_intervalNote = makeRangeNote(QStringLiteral("intervalRange"));
    auto* intervalColumn = new QVBoxLayout;
    intervalColumn->addLayout(intervalLayout);
    intervalColumn->addWidget(m_intervalNote);
    intervalGroup->setLayout(intervalColumn);

    m_relPressure = new CNumEditCtrl;
    m_relPressure->setObjectName(QStringLiteral("1038"));
    m_absPressure = new QLineEdit;
    m_absPressure->setObjectName(QStringLiteral("1040"));
    m_absPressure->setEnabled(false);
    for (QLineEdit* edit : {static_cast<QLineEdit*>(m_relPressure), m_absPressure}) {
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000.00")) + 16);
    }
    m_relPressureUnit = makeLabel(1039, pressureUnitName(kHectopascal));
    m_absPressureUnit = makeLabel(1041, pressureUnitName(kHectopascal));
    auto* pressureGroup = makeGroup(1037, s(kTextPressure));
    auto* pressureLayout = new QGridLayout(pressureGroup);
    pressureLayout->addWidget(makeLabel(1023, s(kTextRelativePressure)), 0, 0);
    pressureLayout->addWidget(m_relPressure, 0, 1);
    pressureLayout->addWidget(m_relPressureUnit, 0, 2);
    pressureLayout->addWidget(makeLabel(1028, s(kTextAbsolutePressure)), 1, 0);
    pressureLayout->addWidget(m_absPressure, 1, 1);
    pressureLayout->addWidget(m_absPressureUnit, 1, 2);
    pressureLayout->setColumnStretch(3, 1);
    m_pressureNote = makeRangeNote(QStringLiteral("pressureRange"));
    pressureLayout->addWidget(m_pressureNote, 2, 0, 1, 4);

    const QStringList temperatures = {kDegreesCelsius, kDegreesFahrenheit};
    m_inTempUnit = makeList(1014, temperatures);
    m_outTempUnit = makeList(1017, temperatures);
    m_pressureUnit =
        makeList(1008, {QStringLiteral("hpa"), QStringLiteral("inhg"), QStringLiteral("mmhg")});
    m_windUnit =
        makeList(1009, {QStringLiteral("m/s"), QStringLiteral("km/h"), QStringLiteral("knot"),
                        QStringLiteral("mph"), QStringLiteral("bft")});
    m_rainUnit = makeList(1010, {QStringLiteral("mm"), QStringLiteral("inch")});
    m_lightUnit =
        makeList(1042, {QStringLiteral("fc"), QStringLiteral("lux"), QStringLiteral("w/m2")});
    auto* unitGroup = makeGroup(1005, s(kTextUnit));
    auto* unitLayout = new QFormLayout(unitGroup);
    unitLayout->addRow(makeLabel(1011, s(kTextIndoorTemperature)), m_inTempUnit);
    unitLayout->addRow(makeLabel(1012, s(kTextOutdoorTemperature)), m_outTempUnit);
    unitLayout->addRow(makeLabel(1013, s(kTextPressure)), m_pressureUnit);
    unitLayout->addRow(makeLabel(1015, s(kTextWind)), m_windUnit);
    unitLayout->addRow(makeLabel(1016, s(kTextRainfall)), m_rainUnit);
    unitLayout->addRow(makeLabel(1026, s(kTextLight)), m_lightUnit);

    // Rows in the order shown; each list is the display option of its index.
    struct DisplayRow {
        int labelId, labelText, listId, option;
        QStringList entries;
    };
    const DisplayRow displayRows[] = {
        {1019, kTextFormat, 1024, 0, {s(kTextFullDate), s(kTextDateAndWeek), s(kTextAlarmTime)}},
        {1020, kTextDate, 1025, 2, {QStringLiteral("dd-mm-yy"), QStringLiteral("mm-dd-yy")}},
        {1021, kTextTime, 1046, 1, {QStringLiteral("24 ") + hour, QStringLiteral("12 ") + hour}},
        {1022, kTextAxis, 1027, 3, {QStringLiteral("12 ") + hour, QStringLiteral("24 ") + hour}},
        {1029,
         kTextOutdoorTemperature,
         1033,
         4,
         {s(kTextTemperature), s(kTextWindChill), s(kTextDewPoint)}},
        {1030, kTextPressure, 1034, 5, {s(kTextAbsolutePressure), s(kTextRelativePressure)}},
        {1031, kTextWind, 1035, 6, {s(kTextWindSpeed), s(kTextGust)}},
        {1032,
         kTextRainfall,
         1036,
         7,
         {s(kTextHourRainfall), s(kTextDayRainfall), s(kTextWeekRainfall), s(kTextMonthRainfall),
          s(kTextTotalRainfall)}},
    };
    auto* displayGroup = makeGroup(1018, s(kTextDisplay));
    auto* displayLayout = new QFormLayout(displayGroup);
    for (const DisplayRow& row : displayRows) {
        m_display[row.option] = makeList(row.listId, row.entries);
        displayLayout->addRow(makeLabel(row.labelId, s(row.labelText)), m_display[row.option]);
    }

    auto* left = new QVBoxLayout;
    left->addWidget(zoneGroup);
    left->addWidget(intervalGroup);
    left->addWidget(pressureGroup);
    left->addStretch();
    auto* middle = new QVBoxLayout;
    middle->addWidget(unitGroup);
    middle->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(displayGroup);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right);

    m_save = new QPushButton(s(kTextSave));
    m_save->setObjectName(QStringLiteral("1"));
    m_save->setDefault(true);
    auto* exit = new QPushButton(s(kTextExit));
    exit->setObjectName(QStringLiteral("2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(exit);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_save, &QPushButton::clicked, this, &CSetting::save);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pressureUnit, &QComboBox::currentIndexChanged, this, &CSetting::showPressures);

    QWidget* order[] = {m_timeZone,     m_interval, m_relPressure, m_inTempUnit, m_outTempUnit,
                        m_pressureUnit, m_windUnit, m_rainUnit,    m_lightUnit};
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (previous != nullptr) {
            setTabOrder(previous, widget);
        }
        previous = widget;
    }
    for (QComboBox* list : m_display) {
        setTabOrder(previous, list);
        previous = list;
    }
    setTabOrder(previous, m_save);
    setTabOrder(m_save, exit);
}

void CSetting::showPressures(int pressureUnit) {
    m_relPressure->setText(pressureText(m_Data.m_RelPressure, pressureUnit));
    m_absPressure->setText(pressureText(m_Data.m_AbsPressure, pressureUnit));
    m_relPressureUnit->setText(pressureUnitName(pressureUnit));
    m_absPressureUnit->setText(pressureUnitName(pressureUnit));
}

void CSetting::ExchangeSettings(Exchange direction) {
    CStationData& d = m_Data;
    if (direction == Exchange::toControls) {
        m_timeZone->setCurrentIndex(timeZonePosition(d.m_TimeZone));
        m_interval->setText(QString::number(d.m_Interval));
        selectEntry(m_inTempUnit, d.InTempUnit);
        selectEntry(m_outTempUnit, d.OutTempUnit);
        {
            // Shown below for the record's unit, whether or not the selection moved.
            const QSignalBlocker quiet(m_pressureUnit);
            selectEntry(m_pressureUnit, d.PressureUnit);
        }
        selectEntry(m_windUnit, d.WindUnit);
        selectEntry(m_rainUnit, d.RainUnit);
        selectEntry(m_lightUnit, d.LightUnit);
        for (int option = 0; option < kDisplaySettingCount; ++option) {
            m_display[option]->setCurrentIndex(GetDisplaySetting(d, option));
        }
        d.m_PrevInTempUnit = d.InTempUnit;
        d.m_PrevOutTempUnit = d.OutTempUnit;
        d.m_PrevPressureUnit = d.PressureUnit;
        d.m_PrevWindUnit = d.WindUnit;
        d.m_PrevRainUnit = d.RainUnit;
        d.m_PrevLightUnit = d.LightUnit;
        showPressures(d.PressureUnit);
        return;
    }

    d.m_TimeZone = timeZoneCode(m_timeZone->currentIndex());
    const int typedInterval = leadingInteger(m_interval->text());
    d.m_Interval = std::clamp(typedInterval, kShortestInterval, kLongestInterval);
    const bool intervalClamped = d.m_Interval != typedInterval;
    showRangeNote(m_intervalNote, intervalClamped ? QString::number(typedInterval) : QString(),
                  QString::number(d.m_Interval), QString::number(kShortestInterval),
                  QString::number(kLongestInterval), m_strings(kTextMinute));
    if (intervalClamped) {
        m_interval->setText(QString::number(d.m_Interval));
    }
    d.InTempUnit = m_inTempUnit->currentIndex();
    d.OutTempUnit = m_outTempUnit->currentIndex();
    d.PressureUnit = m_pressureUnit->currentIndex();
    d.WindUnit = m_windUnit->currentIndex();
    d.RainUnit = m_rainUnit->currentIndex();
    d.LightUnit = m_lightUnit->currentIndex();

    // Bits 1 and 2 are the light and UV alarm enables; the light unit takes bit 0 or 5.
    std::uint8_t flags = d.m_Flags29 & 0x06;
    if (d.LightUnit == kFootCandles) {
        flags |= 0x01;
    } else if (d.LightUnit == kWattsPerSquareMetre) {
        flags |= 0x20;
    }
    d.m_Flags29 = flags;

    d.m_Display1 = 0;
    d.m_Display2 = 0;
    for (int option = 0; option < kDisplaySettingCount; ++option) {
        SetDisplaySetting(d, option, m_display[option]->currentIndex());
    }

    // A pressure the station never reported stays unreported while its text is untouched.
    const QString typed = m_relPressure->text();
    bool pressureClamped = false;
    if (!(showsAbsent(typed) && isAbsent(d.m_RelPressure))) {
        const double inUnit = leadingDecimal(typed);
        double hectopascal = inUnit;
        if (d.PressureUnit == kInchesOfMercury) {
            hectopascal *= kHectopascalPerInch;
        } else if (d.PressureUnit == kMillimetresOfMercury) {
            hectopascal *= kHectopascalPerMillimetre;
        }
        const auto unclamped = static_cast<float>(hectopascal);
        d.m_RelPressure = std::clamp(unclamped, kLowestRelPressure, kHighestRelPressure);
        pressureClamped = d.m_RelPressure != unclamped;
        const int decimals = d.PressureUnit == kInchesOfMercury ? 2 : 1;
        showRangeNote(m_pressureNote, pressureClamped ? decimalText(inUnit, decimals) : QString(),
                      pressureText(d.m_RelPressure, d.PressureUnit),
                      pressureText(kLowestRelPressure, d.PressureUnit),
                      pressureText(kHighestRelPressure, d.PressureUnit),
                      pressureUnitName(d.PressureUnit));
        if (pressureClamped) {
            m_relPressure->setText(pressureText(d.m_RelPressure, d.PressureUnit));
        }
    }
    m_clamped = intervalClamped || pressureClamped;
}

void CSetting::showRangeNote(QLabel* note, const QString& changedFrom, const QString& changedTo,
                             const QString& lowest, const QString& highest, const QString& unit) {
    if (changedFrom.isEmpty()) {
        note->hide();
        return;
    }
    const auto fill = [this](int id, const QString& first, const QString& second) {
        const std::string a = first.toStdString();
        const std::string b = second.toStdString();
        return QString::fromStdString(fillTextArguments(m_strings(id).toStdString(), {a, b}));
    };
    note->setText(fill(kTextValueChanged, changedFrom, changedTo) +
                  fill(kTextRangeOfValues, lowest, highest) + QLatin1Char(' ') + unit);
    note->show();
}

bool CSetting::confirmSave() {
    return askOkCancel(this, m_strings(kTextSaveQuestion));
}

void CSetting::save() {
    ExchangeSettings(Exchange::toRecord);
    // A value brought into range is shown with its note first; the next Save saves it.
    if (m_clamped || !confirmSave()) {
        return;
    }
    if (m_onSave) {
        m_onSave(m_Data);
    }
    accept();
}

}  // namespace nimbra
