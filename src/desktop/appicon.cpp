#include "desktop/appicon.h"

#include <QImageReader>
#include <QPixmap>

QIcon appIcon(std::initializer_list<int> sizes) {
    QIcon icon;
    for (int size : sizes) {
        // PNG and nothing else: left to find the format, Qt asks every image plugin first,
        // which loads them all and their libraries at start.
        QImageReader reader(QStringLiteral(":/appicon/jotpin-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}
