#include "views/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace nimbra {

namespace {

template <typename Draw>
QIcon drawnIcon(Draw draw) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

QIcon appIcon() {
    return drawnIcon([](QPainter& p) {
        // A sun behind a cloud with a thermometer's red bulb: weather at a glance.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 190, 40));
        p.drawEllipse(QPointF(22, 22), 14, 14);
        QPainterPath cloud;
        cloud.setFillRule(Qt::WindingFill);  // the puffs merge into one outline
        cloud.addEllipse(QPointF(26, 40), 13, 11);
        cloud.addEllipse(QPointF(40, 34), 15, 14);
        cloud.addEllipse(QPointF(50, 43), 10, 9);
        cloud.addRoundedRect(QRectF(14, 40, 46, 12), 6, 6);
        p.setBrush(QColor(236, 242, 250));
        p.setPen(QPen(QColor(90, 120, 170), 2.5));
        p.drawPath(cloud.simplified());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(215, 50, 50));
        p.drawRoundedRect(QRectF(36, 24, 6, 22), 3, 3);
        p.drawEllipse(QPointF(39, 48), 6, 6);
    });
}

QIcon successIcon() {
    return drawnIcon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(46, 160, 67));
        p.drawEllipse(QPointF(32, 32), 28, 28);
        p.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF tick[] = {{18, 33}, {28, 43}, {46, 22}};
        p.drawPolyline(tick, 3);
    });
}

QIcon failureIcon() {
    return drawnIcon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(207, 34, 46));
        p.drawEllipse(QPointF(32, 32), 28, 28);
        p.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(21, 21), QPointF(43, 43));
        p.drawLine(QPointF(43, 21), QPointF(21, 43));
    });
}

}  // namespace nimbra
