#pragma once

#include <QGroupBox>

namespace quorvel {

// A group box that draws its caption on its top frame line, in the strip above its first
// control: the controls keep their places, and the caption is never covered by one. The caption's
// font is made small enough for the text to fit the strip whatever face, language and scale the
// system gives.
class CaptionBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit CaptionBox(const QString &caption, QWidget *parent = nullptr);

    // Where the caption's text is drawn, in the box's coordinates; empty without a caption.
    QRect captionRect() const;
    QFont captionFont() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The height of the strip above the box's controls.
    int stripHeight() const;
};

} // namespace quorvel
