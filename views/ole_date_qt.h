#pragma once

#include <QDateTime>
#include <QString>

#include "core/ole_date.h"

namespace nimbra {

// OLE dates in local civil time as Qt date-times, and back.
QDateTime toQDateTime(const OleDate& date);
OleDate fromQDateTime(const QDateTime& dateTime);

// The user's locale form of a date with its time of day, as the system shows it.
QString localeDateTimeText(const OleDate& date);

}  // namespace nimbra
