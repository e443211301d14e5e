#include "views/graph_screenshot.h"

#include <QApplication>
#include <cstdio>

#include "views/graph_dialog.h"
#include "views/ole_date_qt.h"

namespace nimbra {

namespace {

// Nobody is there to answer a message box.
class UnattendedGrapsh : public Grapsh {
public:
    using Grapsh::Grapsh;

protected:
    void showError(const QString& message) override {
        std::fprintf(stderr, "nimbraplus: graph: %s\n", message.toLocal8Bit().constData());
    }
    void showInformation(const QString&) override {}
    QString chooseExportPath() override { return {}; }
};

}  // namespace

QImage graphScreenshot(const CStationData& data, const std::filesystem::path& databasePath,
                       const StringLookup& strings, std::optional<OleDate> from,
                       std::optional<OleDate> to, int selection) {
    UnattendedGrapsh dialog(data, databasePath, strings);
    const QDateTime now = QDateTime::currentDateTime();
    dialog.setPeriod(from ? toQDateTime(*from) : now.addSecs(-3600), to ? toQDateTime(*to) : now);
    dialog.setSelection(selection);
    // Laid out as on screen, without appearing there.
    dialog.setAttribute(Qt::WA_DontShowOnScreen);
    dialog.show();
    QApplication::processEvents();
    dialog.search();
    QApplication::processEvents();
    return dialog.grab().toImage();
}

}  // namespace nimbra
