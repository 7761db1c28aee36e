#include "ui/editor/editoricon.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace quorvel {

namespace {

constexpr int Size = 32;

void drawPage(QPainter &painter)
{
    // A sheet with its top right corner folded over.
    const QPolygonF sheet{{5.5, 2.5}, {20.5, 2.5}, {26.5, 8.5}, {26.5, 29.5}, {5.5, 29.5}};
    painter.setPen(QPen(QColor(70, 70, 80), 1));
    painter.setBrush(QColor(255, 255, 250));
    painter.drawPolygon(sheet);
    painter.setBrush(QColor(205, 205, 200));
    painter.drawPolygon(QPolygonF{{20.5, 2.5}, {20.5, 8.5}, {26.5, 8.5}});

    // Lines of writing, the last one unfinished.
    painter.setPen(QPen(QColor(90, 120, 175), 1.5));
    for (int line = 0; line < 4; ++line) {
        const qreal y = 12.5 + 4 * line;
        painter.drawLine(QPointF(9, y), QPointF(line == 3 ? 15 : 23, y));
    }
}

void drawPen(QPainter &painter)
{
    // Drawn lying along the x axis, tip at the origin, then turned to write on the last line.
    painter.save();
    painter.translate(15.5, 25);
    painter.rotate(-45);

    painter.setPen(QPen(QColor(40, 40, 40), 1));
    QPainterPath nib;
    nib.moveTo(0, 0);
    nib.lineTo(5, -2.5);
    nib.lineTo(5, 2.5);
    nib.closeSubpath();
    painter.setBrush(QColor(230, 190, 120));
    painter.drawPath(nib);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawEllipse(QPointF(1, 0), 0.8, 0.8);

    painter.setBrush(QColor(200, 40, 40));
    painter.drawRect(QRectF(5, -2.5, 13, 5));
    painter.setBrush(QColor(60, 60, 70));
    painter.drawRect(QRectF(18, -2.5, 3.5, 5));
    painter.restore();
}

} // namespace

QImage editorIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(qreal(size) / Size, qreal(size) / Size);
    drawPage(painter);
    drawPen(painter);
    painter.end();
    return image;
}

QIcon editorIcon()
{
    return QIcon(QPixmap::fromImage(editorIconImage(Size)));
}

} // namespace quorvel
