#include "views/location_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "config/location_settings.h"
#include "config/string_ids.h"
#include "views/app_icon.h"
#include "views/dialog_messages.h"

namespace nimbra {

namespace {

QLineEdit* makeEdit(const char* name, const std::string& value) {
    auto* edit = new QLineEdit(QString::fromStdString(value));
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(16);
    return edit;
}

}  // namespace

LocationDialog::LocationDialog(ProfileFile& config, UploadConfigStore& store,
                               const StringLookup& strings, QWidget* parent)
    : QDialog(parent), m_config(config), m_store(store), m_strings(strings) {
    setObjectName(QStringLiteral("location"));
    setWindowTitle(m_strings(kTextStationLocation));
    setWindowIcon(appIcon());
    // The texts as stored, so that nothing typed by hand is silently reformatted.
    m_latitude = makeEdit("Latitude", m_config.readString("Location", "Latitude"));
    m_longitude = makeEdit("Longitude", m_config.readString("Location", "Longitude"));
    m_altitude = makeEdit("Altitude", m_config.readString("Location", "Altitude"));
    m_latitude->setPlaceholderText(QStringLiteral("51.4779"));
    m_longitude->setPlaceholderText(QStringLiteral("-0.0015"));
    m_altitude->setPlaceholderText(QStringLiteral("46"));

    auto* form = new QFormLayout;
    form->addRow(m_strings(kTextLatitude) + QLatin1Char(':'), m_latitude);
    form->addRow(m_strings(kTextLongitude) + QLatin1Char(':'), m_longitude);
    form->addRow(m_strings(kTextAltitude) + QLatin1Char(':'), m_altitude);
    auto* buttons = new QDialogButtonBox;
    auto* save = buttons->addButton(m_strings(kTextSave), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("1"));
    save->setDefault(true);
    buttons->addButton(m_strings(kTextCancel), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &LocationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LocationDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void LocationDialog::accept() {
    const struct {
        QLineEdit* edit;
        double limit;
        int problem;
        std::optional<double> StationLocation::*member;
    } fields[] = {
        {m_latitude, kLatitudeLimit, kTextLatitudeInvalid, &StationLocation::latitude},
        {m_longitude, kLongitudeLimit, kTextLongitudeInvalid, &StationLocation::longitude},
        {m_altitude, kAltitudeLimit, kTextAltitudeInvalid, &StationLocation::altitude},
    };
    StationLocation location;
    for (const auto& field : fields) {
        const std::string text = field.edit->text().trimmed().toStdString();
        if (text.empty()) {
            continue;
        }
        location.*field.member = parseCoordinate(text, field.limit);
        if (!(location.*field.member)) {
            showProblem(m_strings(field.problem));
            field.edit->setFocus();
            return;
        }
    }
    if (!confirmSave()) {
        return;
    }
    if (!m_config.writeStrings(stationLocationEntries(location))) {
        showProblem(m_strings(kTextUploadFailure) + QStringLiteral(": ") +
                    QString::fromStdString(m_config.path().string()));
        return;
    }
    m_store.setLocation(location);
    QDialog::accept();
}

bool LocationDialog::confirmSave() {
    return askOkCancel(this, m_strings(kTextSaveQuestion));
}

void LocationDialog::showProblem(const QString& message) {
    showInputProblem(this, message);
}

}  // namespace nimbra
