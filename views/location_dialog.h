#pragma once

#include <QDialog>

#include "config/profile_file.h"
#include "upload/upload_config_store.h"
#include "views/string_lookup.h"

class QLineEdit;

namespace nimbra {

// The station's location, [Location] in Main.ini: latitude and longitude in decimal
// degrees (north and east positive) and altitude in metres. Save checks the three, writes
// them at once and hands them to the uploads; an empty field leaves that value unset.
class LocationDialog : public QDialog {
    Q_OBJECT

public:
    LocationDialog(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
                   QWidget* parent = nullptr);

    void accept() override;

protected:
    // Asks whether to save; a test answers it without a message box.
    virtual bool confirmSave();
    // Tells the user why nothing was saved; a test records it instead.
    virtual void showProblem(const QString& message);

private:
    ProfileFile& m_config;
    UploadConfigStore& m_store;
    const StringLookup m_strings;
    QLineEdit* m_latitude = nullptr;
    QLineEdit* m_longitude = nullptr;
    QLineEdit* m_altitude = nullptr;
};

}  // namespace nimbra
