#pragma once

#include <QTimeEdit>
#include <optional>

namespace nimbra {

// The daily alarm time in hours and minutes, which may also hold no time at all (the
// station can report an alarm time that is not a time of day). A blank field shows
// "--:--"; stepping or typing gives it a time again, and deleting its whole text makes
// it blank.
class AlarmTimeEdit : public QTimeEdit {
    Q_OBJECT

public:
    explicit AlarmTimeEdit(QWidget* parent = nullptr);

    // The time shown, or nothing when the field is blank.
    std::optional<QTime> alarmTime() const;
    void setAlarmTime(const std::optional<QTime>& time);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void stepBy(int steps) override;

private:
    void leaveBlank();

    bool m_blank = false;
};

}  // namespace nimbra
