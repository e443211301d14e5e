#include "views/alarm_time_edit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

namespace nimbra {

namespace {

const QString kBlankTime = QStringLiteral("--:--");

// The user's short time format without seconds.
QString hoursAndMinutesFormat() {
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    format.remove(QStringLiteral(":ss"));
    return format;
}

}  // namespace

AlarmTimeEdit::AlarmTimeEdit(QWidget* parent) : QTimeEdit(parent) {
    setDisplayFormat(hoursAndMinutesFormat());
    // The blank field is shown as the special value of the range's first time; a
    // field with a time never shows it, midnight included.
    setMinimumTime(QTime(0, 0));
    connect(this, &QTimeEdit::timeChanged, this, [this] {
        if (m_blank && time() != minimumTime()) {
            leaveBlank();
        }
    });
}

std::optional<QTime> AlarmTimeEdit::alarmTime() const {
    if (m_blank) {
        return std::nullopt;
    }
    const QTime shown = time();
    return QTime(shown.hour(), shown.minute());
}

void AlarmTimeEdit::setAlarmTime(const std::optional<QTime>& time) {
    if (time && time->isValid()) {
        leaveBlank();
        setTime(QTime(time->hour(), time->minute()));
        return;
    }
    setSpecialValueText(kBlankTime);
    setTime(minimumTime());
    m_blank = true;
}

void AlarmTimeEdit::leaveBlank() {
    m_blank = false;
    setSpecialValueText(QString());
}

void AlarmTimeEdit::keyPressEvent(QKeyEvent* event) {
    const bool erasing = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
    if (erasing && (m_blank || lineEdit()->selectedText() == lineEdit()->text())) {
        setAlarmTime(std::nullopt);
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (m_blank && typed.size() == 1 && typed.front().isDigit()) {
        // Typing into a blank field starts from midnight with the hours selected.
        leaveBlank();
        lineEdit()->setText(textFromDateTime(dateTime()));
        setCurrentSectionIndex(0);
        setSelectedSection(sectionAt(0));
    }
    QTimeEdit::keyPressEvent(event);
}

void AlarmTimeEdit::stepBy(int steps) {
    if (m_blank) {
        leaveBlank();
    }
    QTimeEdit::stepBy(steps);
}

}  // namespace nimbra
