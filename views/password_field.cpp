#include "views/password_field.h"

#include <QAction>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace nimbra {

namespace {

// An open eye, struck through when `struck`: the eye offers to show the text, the
// struck eye to hide it again.
QIcon eyeIcon(bool struck) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        const QColor ink(70, 80, 95);
        QPainterPath lids;
        lids.moveTo(3, 16);
        lids.quadTo(16, 3, 29, 16);
        lids.quadTo(16, 29, 3, 16);
        p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(lids);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(16, 16), 4.5, 4.5);
        if (struck) {
            p.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(6, 27), QPointF(26, 5));
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

void makeRevealablePassword(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    auto* reveal = edit->addAction(eyeIcon(false), QLineEdit::TrailingPosition);
    reveal->setObjectName(QStringLiteral("reveal"));
    reveal->setCheckable(true);
    QObject::connect(reveal, &QAction::toggled, edit, [edit, reveal](bool shown) {
        edit->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
        reveal->setIcon(eyeIcon(shown));
    });
}

}  // namespace nimbra
