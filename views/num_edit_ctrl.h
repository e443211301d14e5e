#pragma once

#include <QLineEdit>

namespace nimbra {

// A line edit for a decimal number: typing accepts only digits, "-" and a single "."
// that may not come first. Pasted text is taken as it is and read leniently later.
class CNumEditCtrl : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

    // Whether typing `typed` into a field holding `current` is accepted.
    static bool acceptsTyped(const QString& current, QChar typed);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace nimbra
