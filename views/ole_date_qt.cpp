#include "views/ole_date_qt.h"

#include <QLocale>

namespace nimbra {

QDateTime toQDateTime(const OleDate& date) {
    const auto civil = date.toCivil();
    if (!civil) {
        return {};
    }
    return QDateTime(QDate(civil->year, civil->month, civil->day),
                     QTime(civil->hour, civil->minute, civil->second));
}

OleDate fromQDateTime(const QDateTime& dateTime) {
    if (!dateTime.isValid()) {
        return OleDate(0.0, OleDate::invalid);
    }
    const QDate d = dateTime.date();
    const QTime t = dateTime.time();
    return OleDate::fromCivil(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

QString localeDateTimeText(const OleDate& date) {
    return QLocale().toString(toQDateTime(date), QLocale::ShortFormat);
}

}  // namespace nimbra
