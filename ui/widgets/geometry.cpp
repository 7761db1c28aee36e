#include "ui/widgets/geometry.h"

#include <QEvent>
#include <QFont>
#include <QWidget>

#include <algorithm>

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
}

void setTabChain(std::initializer_list<QWidget *> controls)
{
    QWidget *previous = nullptr;
    for (QWidget *control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

GrowingLayout::GrowingLayout(QWidget *window, QWidget *client, QSize outer, int extraTop)
    : QObject(window), m_window(window), m_client(client), m_outer(outer), m_extraTop(extraTop),
      m_start(outer)
{
    window->resize(outer + QSize(0, extraTop));
    window->setMinimumSize(window->size());
    window->installEventFilter(this);
    if (client != window)
        client->installEventFilter(this);
}

void GrowingLayout::follow(QWidget *control, Follow follow)
{
    m_controls.append({control, control->geometry(), follow});
}

bool GrowingLayout::eventFilter(QObject *watched, QEvent *event)
{
    // The window manager tells the frame some time after the window is shown; once it is known,
    // the outer size is the one asked for, and the client area starts as large as that leaves.
    const QEvent::Type type = event->type();
    if (watched == m_window && !m_framed &&
        (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize ||
         type == QEvent::WindowActivate)) {
        const QSize frame = m_window->frameGeometry().size() - m_window->geometry().size();
        if (m_window->isVisible() && frame.isValid() && !frame.isEmpty()) {
            m_framed = true;
            m_start = m_outer - frame;
            m_window->setMinimumSize(m_start + QSize(0, m_extraTop));
            m_window->resize(m_start + QSize(0, m_extraTop));
        }
    }
    if (watched == m_client && event->type() == QEvent::Resize)
        layOut();
    return false;
}

void GrowingLayout::layOut()
{
    const int dx = std::max(0, m_client->width() - m_start.width());
    const int dy = std::max(0, m_client->height() - m_start.height());
    const auto extra = [&](unsigned parts) {
        int by = 0;
        if (parts & Width)
            by += dx;
        if (parts & LeftHalf)
            by += dx / 2;
        if (parts & RightHalf)
            by += dx - dx / 2;
        if (parts & Height)
            by += dy;
        if (parts & UpperHalf)
            by += dy / 2;
        if (parts & LowerHalf)
            by += dy - dy / 2;
        return by;
    };
    for (const Control &c : std::as_const(m_controls)) {
        c.widget->setGeometry(c.start.x() + extra(c.follow.x), c.start.y() + extra(c.follow.y),
                              c.start.width() + extra(c.follow.width),
                              c.start.height() + extra(c.follow.height));
    }
}

} // namespace quorvel
