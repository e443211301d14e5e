#pragma once

#include <QDialog>

#include "core/station_data.h"
#include "views/string_lookup.h"

class QLineEdit;

namespace nimbra {

// The highest and lowest values the station has recorded, each with its time. Shows
// the copy of the station record taken when it opened and never refreshes.
class CMaxMin : public QDialog {
    Q_OBJECT

public:
    CMaxMin(const CStationData& data, const StringLookup& strings, QWidget* parent = nullptr);

    // The text of the field with the given control id; for tests and screenshots.
    QString fieldText(int controlId) const;

private:
    CStationData m_Data;
};

}  // namespace nimbra
