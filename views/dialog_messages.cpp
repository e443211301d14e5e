#include "views/dialog_messages.h"

#include <QApplication>
#include <QMessageBox>

namespace nimbra {

bool askOkCancel(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), question,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void showInputProblem(QWidget* parent, const QString& message) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), message,
                    QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace nimbra
