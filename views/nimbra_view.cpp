#include "views/nimbra_view.h"

#include <QContextMenuEvent>
#include <QPainter>

namespace nimbra {

CNimbraView::CNimbraView(const LiveStation& live, LiveLabels labels, QWidget* parent)
    : QWidget(parent),
      m_live(live),
      m_labels(std::move(labels)),
      m_background(livePictureBackground()) {
    setObjectName(QStringLiteral("101"));
    setFixedSize(kLivePictureWidth, kLivePictureHeight);
    // Every frame covers the whole widget, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CNimbraView::sizeHint() const {
    return {kLivePictureWidth, kLivePictureHeight};
}

QImage CNimbraView::renderFrame() const {
    QImage frame(kLivePictureWidth, kLivePictureHeight, QImage::Format_RGB32);
    QPainter painter(&frame);
    paintLivePicture(painter, m_background, m_live.snapshot(), m_labels);
    return frame;
}

void CNimbraView::paintEvent(QPaintEvent*) {
    // Composed off screen first, so the window never shows a half-drawn frame.
    const QImage frame = renderFrame();
    QPainter(this).drawImage(0, 0, frame);
}

void CNimbraView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

}  // namespace nimbra
