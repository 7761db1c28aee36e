#pragma once

#include <QSize>

class QWidget;

namespace quorvel {

// The windows are laid out in fixed pixel positions, in a 12-pixel font in which every
// caption fits its control; group boxes carry their caption on their top frame line.
void useWindowFont(QWidget *window);

// Gives a top-level window the outer size (frame and title bar included) once the window system
// has told us how thick its frame is; until then the client area gets the whole size.
void setOuterSize(QWidget *window, QSize outer);

// Object name and geometry in one step, so that a window's controls read as one list.
template <typename W>
W *place(W *widget, const char16_t *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromUtf16(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

} // namespace quorvel
