#include "desktop/gui_error_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <set>

#include "store/error_sink.h"

namespace nimbra {

namespace {

// Messages in a box that is still open; touched on the user-interface thread only.
std::set<std::string>& openMessages() {
    static std::set<std::string> messages;
    return messages;
}

}  // namespace

void showStoreFailure(const std::string& message) {
    if (!openMessages().insert(message).second) {
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("NimbraPlus"),
                                QString::fromStdString(message), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, [message] { openMessages().erase(message); });
    box->open();
}

GuiErrorSink::GuiErrorSink() {
    // The application object outlives every thread that reports, so the message is posted
    // to it rather than to a window that may already be gone.
    setDefaultErrorSink([](const std::string& message) {
        QMetaObject::invokeMethod(
            qApp, [message] { showStoreFailure(message); }, Qt::QueuedConnection);
    });
}

GuiErrorSink::~GuiErrorSink() {
    setDefaultErrorSink({});
}

}  // namespace nimbra
