#pragma once

#include <QDialog>

#include "core/station_data.h"
#include "views/station_dialog.h"
#include "views/string_lookup.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace nimbra {

class CNumEditCtrl;

// The station's own settings: time zone, history interval, units, the console's
// display options and the relative pressure calibration. Edits a copy of the station
// record; Save hands the copy over for writing into the station.
class CSetting : public QDialog {
    Q_OBJECT

public:
    CSetting(const CStationData& data, const StringLookup& strings, StationAccess access,
             StationSaveHandler onSave, QWidget* parent = nullptr);

    // The dialog's record copy, as last exchanged.
    const CStationData& record() const { return m_Data; }

    void ExchangeSettings(Exchange direction);

    // Station time zone byte for a list position ("-12" at 0 ... "+12" at 24), and the
    // position of a byte (that of "0" for a byte outside the table).
    static int timeZoneCode(int position);
    static int timeZonePosition(int code);

protected:
    // Asks whether to save; a test answers it without a message box.
    virtual bool confirmSave();

private:
    void buildControls();
    void showPressures(int pressureUnit);
    void save();
    // Says beside a field that what was typed lay outside the station's range, with the
    // value it became and the range, or hides the note when `changedFrom` is empty.
    void showRangeNote(QLabel* note, const QString& changedFrom, const QString& changedTo,
                       const QString& lowest, const QString& highest, const QString& unit);

    CStationData m_Data;
    StringLookup m_strings;
    StationSaveHandler m_onSave;

    QComboBox* m_timeZone = nullptr;
    QLineEdit* m_interval = nullptr;
    QComboBox* m_inTempUnit = nullptr;
    QComboBox* m_outTempUnit = nullptr;
    QComboBox* m_pressureUnit = nullptr;
    QComboBox* m_windUnit = nullptr;
    QComboBox* m_rainUnit = nullptr;
    QComboBox* m_lightUnit = nullptr;
    QComboBox* m_display[8] = {};  // by display-option index
    CNumEditCtrl* m_relPressure = nullptr;
    QLineEdit* m_absPressure = nullptr;
    QLabel* m_relPressureUnit = nullptr;
    QLabel* m_absPressureUnit = nullptr;
    QPushButton* m_save = nullptr;
    QLabel* m_intervalNote = nullptr;
    QLabel* m_pressureNote = nullptr;
    // Whether the last exchange to the record clamped a typed value.
    bool m_clamped = false;
};

}  // namespace nimbra
