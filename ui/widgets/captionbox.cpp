#include "ui/widgets/captionbox.h"

#include <QPainter>

#include <algorithm>

namespace quorvel {

namespace {

constexpr int CaptionLeft = 6;
constexpr int FrameTop = 6; // the frame line, also of boxes without a caption
constexpr int LargestStrip = 14;

} // namespace

CaptionBox::CaptionBox(const QString &caption, QWidget *parent) : QGroupBox(caption, parent) {}

int CaptionBox::stripHeight() const
{
    int top = LargestStrip;
    for (const QObject *child : children()) {
        const auto *widget = qobject_cast<const QWidget *>(child);
        if (widget && !widget->isWindow())
            top = std::min(top, widget->y());
    }
    return std::max(top, 1);
}

QFont CaptionBox::captionFont() const
{
    // Shrink until the glyphs' own height fits the strip; CJK faces draw lines far taller than
    // their glyphs, so the line height is not what has to fit.
    QFont font = this->font();
    const int strip = stripHeight();
    for (int pixels = std::max(font.pixelSize(), 8); pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).tightBoundingRect(title()).height() <= strip)
            break;
    }
    return font;
}

QRect CaptionBox::captionRect() const
{
    if (title().isEmpty())
        return {};
    const QFontMetrics metrics(captionFont());
    const QRect glyphs = metrics.tightBoundingRect(title());
    return QRect(CaptionLeft, 0, metrics.horizontalAdvance(title()) + 2,
                 std::min(glyphs.height(), stripHeight()));
}

void CaptionBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect caption = captionRect();
    const int lineY = caption.isEmpty() ? FrameTop : std::min(FrameTop, caption.center().y());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(QRect(0, lineY, width() - 1, height() - 1 - lineY));
    if (caption.isEmpty())
        return;
    // The caption stands on the frame line, the line broken behind it.
    painter.fillRect(caption.adjusted(-1, 0, 1, 0), palette().color(QPalette::Window));
    painter.setFont(captionFont());
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect glyphs = QFontMetrics(captionFont()).tightBoundingRect(title());
    painter.drawText(QPoint(caption.left() + 1, caption.top() - glyphs.top()), title());
}

} // namespace quorvel
