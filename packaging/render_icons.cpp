// Writes the program's icon, exactly as the program draws it, as PNG files laid out like
// the hicolor icon theme: <folder>/<size>x<size>/apps/nimbraplus.png.

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdio>

#include "views/app_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_icons FOLDER\n");
        return 2;
    }
    // A build step never has a screen; pixmaps still need a platform to draw on.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QIcon icon = nimbra::appIcon();
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QPixmap pixmap = icon.pixmap(QSize(size, size));
        const QString apps = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = folder.filePath(apps + QStringLiteral("/nimbraplus.png"));
        // An icon theme file of the wrong size would be scaled blurrily by the desktop.
        if (pixmap.size() != QSize(size, size) || !folder.mkpath(apps) ||
            !pixmap.save(file, "PNG")) {
            std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
