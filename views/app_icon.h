#pragma once

#include <QIcon>

namespace nimbra {

// The program's icon and the two status icons of the upload panes, drawn in code so
// they stay sharp at every size.
QIcon appIcon();
QIcon successIcon();
QIcon failureIcon();

}  // namespace nimbra
