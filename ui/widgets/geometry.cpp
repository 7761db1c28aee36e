#include "ui/widgets/geometry.h"

#include <QEvent>
#include <QFont>
#include <QObject>
#include <QWidget>

namespace quorvel {

void useWindowFont(QWidget *window)
{
    // A Chinese face first, so that line heights are measured on the glyphs actually drawn; with
    // a Latin face first, Chinese captions come from a fallback face and can be cut at the top.
    QFont font = window->font();
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("SimSun"), font.family()});
    font.setPixelSize(12);
    window->setFont(font);
    // Group boxes draw their frame through the middle of the caption's line, with the caption at
    // the very top of the box, so a caption is never cut by the box above it.
    window->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); margin-top: 7px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; top: 0px; padding: 0px 1px; }"));
}

namespace {

// Waits for the first show, when the frame is known, and fits the client area so that frame and
// client together have the wanted outer size.
class OuterSizeKeeper : public QObject
{
public:
    OuterSizeKeeper(QWidget *window, QSize outer) : QObject(window), m_outer(outer) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *window = static_cast<QWidget *>(watched);
            const QSize frame = window->frameGeometry().size() - window->geometry().size();
            if (frame.isValid() && !frame.isEmpty())
                window->setFixedSize(m_outer - frame);
        }
        return false;
    }

private:
    QSize m_outer;
};

} // namespace

void setOuterSize(QWidget *window, QSize outer)
{
    window->setFixedSize(outer);
    window->installEventFilter(new OuterSizeKeeper(window, outer));
}

} // namespace quorvel
