#pragma once

#include <QDialog>

#include "config/profile_file.h"
#include "views/string_lookup.h"

class QComboBox;

namespace nimbra {

// Lets the user pick the interface language by name; on Save the name is written to
// Main.ini, where the next start (or the restart that follows) picks it up.
class Language : public QDialog {
    Q_OBJECT

public:
    Language(ProfileFile& config, const StringLookup& strings, QWidget* parent = nullptr);

    void accept() override;

private:
    ProfileFile& m_config;
    QComboBox* m_list = nullptr;
};

}  // namespace nimbra
