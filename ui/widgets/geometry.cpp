#include "ui/widgets/geometry.h"

#include <QEvent>
#include <QFont>
#include <QObject>
#include <QWidget>

namespace quorvel {

void useWindowFont(QWidget *window)
{
    QFont font = window->font();
    font.setPixelSize(12);
    window->setFont(font);
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
