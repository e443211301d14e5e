#pragma once

#include <QDialog>
#include <QHash>

#include "core/station_data.h"
#include "views/station_dialog.h"
#include "views/string_lookup.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace nimbra {

class AlarmTimeEdit;

// The station's alarm configuration: high and low thresholds with their enables, the
// wind direction alarm and the daily time alarm. Thresholds are shown and typed in the
// units the station is set to, checked against fixed ranges, and on Save the edited
// copy of the station record is handed over for writing into the station.
class CAlarm : public QDialog {
    Q_OBJECT

public:
    CAlarm(const CStationData& data, const StringLookup& strings, StationAccess access,
           StationSaveHandler onSave, QWidget* parent = nullptr);

    const CStationData& record() const { return m_Data; }

    void ExchangeAlarms(Exchange direction);

    // Checks every threshold edit against its range; shows the first violation and
    // returns false, or returns true.
    bool ValidateAlarms();

    // The Beaufort number the console alarms on for a wind or gust speed. The two
    // columns of the console's table differ by one tenth at their upper bounds.
    static int beaufortFor(float metresPerSecond, bool gust);

protected:
    // Message boxes, answered by tests without showing them.
    virtual bool confirmSave();
    virtual void showRangeError(const QString& message);

private:
    void buildControls();
    QLineEdit* edit(int id) const { return m_edits.value(id); }
    void followSpeed(int speedEditId, int beaufortEditId, bool gust);
    void save();

    CStationData m_Data;
    StringLookup m_strings;
    StationSaveHandler m_onSave;

    QHash<int, QLineEdit*> m_edits;        // by control id
    QHash<int, QCheckBox*> m_highEnables;  // by measurement slot
    QHash<int, QCheckBox*> m_lowEnables;   // by measurement slot
    QHash<int, QWidget*> m_unitLabels;     // by control id
    QCheckBox* m_windDirectionOn = nullptr;
    QCheckBox* m_timeAlarmOn = nullptr;
    QComboBox* m_windDirection = nullptr;
    AlarmTimeEdit* m_alarmTime = nullptr;
    QPushButton* m_save = nullptr;
};

}  // namespace nimbra
