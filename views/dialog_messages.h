#pragma once

#include <QString>

class QWidget;

// The message boxes of the station dialogs.

namespace nimbra {

// Asks `question` with OK and Cancel, Cancel being the default; true for OK.
bool askOkCancel(QWidget* parent, const QString& question);

// Reports an input the dialog cannot accept, with an OK button only.
void showInputProblem(QWidget* parent, const QString& message);

}  // namespace nimbra
