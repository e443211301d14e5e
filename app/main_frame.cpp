#include "app/main_frame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QStatusBar>

#include "views/about_dialog.h"
#include "views/app_icon.h"
#include "views/language_dialog.h"
#include "views/max_min_dialog.h"
#include "views/nimbra_view.h"

namespace nimbra {

namespace {

QString menuCaption(const StringTable& strings, std::string_view key) {
    return QString::fromStdString(strings.menuText(key));
}

}  // namespace

CMainFrame::CMainFrame(FrameContext context, QWidget* parent)
    : QMainWindow(parent), m_context(context) {
    setObjectName(QStringLiteral("128"));
    // A fixed-size frame: no sizing border and no maximize box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(appIcon());
    setWindowTitle(m_context.emulatedStation ? QStringLiteral("NimbraPlus (emulated station)")
                                             : QStringLiteral("NimbraPlus"));

    m_view = new CNimbraView(m_context.live, LiveLabels::fromStrings(strings()));
    setCentralWidget(m_view);
    createMenus();
    createStatusBar();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

StringLookup CMainFrame::strings() const {
    const StringTable& table = m_context.strings;
    return [&table](int id) { return QString::fromStdString(table.text(id)); };
}

void CMainFrame::createMenus() {
    const StringTable& s = m_context.strings;
    QMenu* system = menuBar()->addMenu(menuCaption(s, "menu.system"));
    system->addAction(menuCaption(s, "menu.system.maxmin"), this, &CMainFrame::openMaxMin);
    system->addAction(menuCaption(s, "menu.system.language"), this, &CMainFrame::openLanguage);
    QMenu* help = menuBar()->addMenu(menuCaption(s, "menu.help"));
    help->addAction(menuCaption(s, "menu.help.about"), this, &CMainFrame::openAbout);
}

void CMainFrame::createStatusBar() {
    statusBar()->setSizeGripEnabled(false);
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        auto* pane = new QWidget;
        pane->setFixedWidth(kStatusPaneWidths[i]);
        auto* row = new QHBoxLayout(pane);
        row->setContentsMargins(4, 0, 4, 0);
        row->setSpacing(4);
        m_panes[i].icon = new QLabel;
        m_panes[i].icon->setFixedSize(16, 16);
        m_panes[i].icon->hide();
        m_panes[i].text = new QLabel;
        row->addWidget(m_panes[i].icon);
        row->addWidget(m_panes[i].text, 1);
        statusBar()->addWidget(pane);
    }
    setPane(kProgressPane, m_context.strings.text(3050), PaneIcon::none);
}

void CMainFrame::setPane(StatusPane pane, const std::string& text, PaneIcon icon) {
    Pane& p = m_panes[static_cast<std::size_t>(pane)];
    p.text->setText(QString::fromStdString(text));
    if (icon == PaneIcon::none) {
        p.icon->clear();
        p.icon->hide();
        return;
    }
    p.icon->setPixmap((icon == PaneIcon::success ? successIcon() : failureIcon()).pixmap(16, 16));
    p.icon->show();
}

QString CMainFrame::paneText(StatusPane pane) const {
    return m_panes[static_cast<std::size_t>(pane)].text->text();
}

void CMainFrame::showViewEvent(ViewEvent event) {
    if (const auto change = statusChangeFor(event, m_context.strings)) {
        setPane(change->pane, change->text, change->icon);
    }
}

void CMainFrame::showProgress(const DownloadProgress& progress) {
    setPane(kProgressPane, progressText(progress, m_context.strings), PaneIcon::none);
}

void CMainFrame::openMaxMin() {
    CMaxMin dialog(m_context.live.snapshot(), strings(), this);
    dialog.exec();
}

void CMainFrame::openLanguage() {
    Language dialog(m_context.config, strings(), this);
    if (dialog.exec() == QDialog::Accepted) {
        m_RestartAfterClose = true;
        close();
    }
}

void CMainFrame::openAbout() {
    AboutDialog dialog(m_context.config, strings(), this);
    dialog.exec();
}

}  // namespace nimbra
