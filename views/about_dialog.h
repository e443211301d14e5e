#pragma once

#include <QDialog>

#include "config/profile_file.h"
#include "views/string_lookup.h"

namespace nimbra {

// The program's name and version, the copyright line and the web address from
// Main.ini; the address opens in the browser when clicked.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    AboutDialog(const ProfileFile& config, const StringLookup& strings, QWidget* parent = nullptr);
};

}  // namespace nimbra
