#pragma once
// The note's pictures drawn smoothly at the size they are shown, each scaled once for that size:
// Qt's own drawing scales a picture anew at every paint, point by point, which leaves a
// screenshot shown at the note's width unreadable.

#include <QCache>
#include <QObject>
#include <QPixmap>
#include <QTextObjectInterface>

class PictureDrawing : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    // Draws the document's pictures from now on; once for a document, which owns it.
    static void install(QTextDocument* doc);

    QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                    const QTextFormat& format) override;

private:
    explicit PictureDrawing(QTextDocument* doc);

    QCache<QString, QPixmap> m_scaled;  // by name and size drawn; cost in kilobytes
};
