#pragma once

#include <QIcon>
#include <QImage>

namespace quorvel {

// The program's icon, first made for the editor window: a written page with a pen across it,
// drawn for 32 x 32 pixels. The installed icon set is made from it (tools/icons), and the
// scalable one (data/icons) follows the same drawing.
QIcon editorIcon();

// The icon drawn at size x size pixels: the 32-pixel drawing, scaled.
QImage editorIconImage(int size);

} // namespace quorvel
