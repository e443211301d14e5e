#include "views/about_dialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "config/string_ids.h"
#include "config/string_table.h"
#include "views/app_icon.h"

namespace nimbra {

AboutDialog::AboutDialog(const ProfileFile& config, const StringLookup& strings, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("100"));
    setWindowTitle(strings(kTextAboutNimbraPlus));

    auto* icon = new QLabel;
    icon->setPixmap(appIcon().pixmap(48, 48));
    auto* name = new QLabel(QString::fromStdString(
        fillTextArguments(strings(kTextVersionCaption).toStdString(), {"2.9"})));
    name->setObjectName(QStringLiteral("1235"));
    auto* copyright =
        new QLabel(QString::fromStdString(config.readString("Copyright", "Copyright")));
    copyright->setObjectName(QStringLiteral("1236"));

    const QString web = QString::fromStdString(config.readString("About", "Web"));
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\" style=\"color:#0000ff\">%2</a>")
                                .arg(web.toHtmlEscaped(), web.toHtmlEscaped()));
    link->setObjectName(QStringLiteral("1234"));
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(link, &QLabel::linkActivated, this,
            [web] { QDesktopServices::openUrl(QUrl::fromUserInput(web)); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    layout->addWidget(copyright, 0, Qt::AlignHCenter);
    layout->addWidget(link, 0, Qt::AlignHCenter);
    layout->addWidget(buttons);
}

}  // namespace nimbra
