#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

namespace quorvel {

// The windows are laid out in fixed pixel positions, in a 12-pixel font in which every caption
// fits its control.
void useWindowFont(QWidget *window);

// Object name and geometry in one step, so that a window's controls read as one list.
template <typename W>
W *place(W *widget, const char16_t *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromUtf16(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// Tab moves the focus through the controls in this order (the layout's, row by row).
void setTabChain(std::initializer_list<QWidget *> controls);

// Which parts of a window's extra size a control follows, for each of its edges: the extra
// width (all of it, or the left or right half of it) and the extra height (all, or the upper or
// lower half).
enum Extra : unsigned
{
    Width = 1,
    LeftHalf = 2,
    RightHalf = 4,
    Height = 8,
    UpperHalf = 16,
    LowerHalf = 32,
};
struct Follow
{
    unsigned x = 0;      // moves right by
    unsigned width = 0;  // grows wider by
    unsigned y = 0;      // moves down by
    unsigned height = 0; // grows taller by
};

// A window that opens at its start size, with every control where it was placed, and may be
// enlarged but not shrunk: the controls then follow the extra size as they were told to. The
// start size is the outer size (frame and title bar included) once the window system has told
// how thick the frame is, so that the client area is exactly what the layout fills; until then
// (and where there is no frame) the client area gets the whole size. The controls sit in client
// (the window itself, or a widget below the window's menu bar, which adds to the height).
class GrowingLayout : public QObject
{
public:
    GrowingLayout(QWidget *window, QWidget *client, QSize outer, int extraTop = 0);

    // Takes the control's geometry as it is now as its place at the start size.
    void follow(QWidget *control, Follow follow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layOut();

    QWidget *m_window;
    QWidget *m_client;
    QSize m_outer;
    int m_extraTop;
    QSize m_start;         // the client's start size
    bool m_framed = false; // the start size was fitted to the window manager's frame
    struct Control
    {
        QWidget *widget;
        QRect start;
        Follow follow;
    };
    QList<Control> m_controls;
};

} // namespace quorvel
