#pragma once

class QLineEdit;

namespace nimbra {

// Masks `edit` and puts a toggle at its end that shows and hides the text, so that a
// long key pasted from a service's website can be checked before it is saved. The
// toggle's object name is "reveal".
void makeRevealablePassword(QLineEdit* edit);

}  // namespace nimbra
