#include "views/num_edit_ctrl.h"

#include <QKeyEvent>

namespace nimbra {

bool CNumEditCtrl::acceptsTyped(const QString& current, QChar typed) {
    if (typed == QLatin1Char('.')) {
        return !current.isEmpty() && !current.contains(QLatin1Char('.'));
    }
    return typed == QLatin1Char('-') || (typed >= QLatin1Char('0') && typed <= QLatin1Char('9'));
}

void CNumEditCtrl::keyPressEvent(QKeyEvent* event) {
    // Only keys that type one printable character are judged; editing keys, shortcuts
    // (paste among them) and navigation work as in any line edit.
    const QString typed = event->text();
    if (typed.size() == 1 && typed.front().isPrint() && !acceptsTyped(text(), typed.front())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace nimbra
