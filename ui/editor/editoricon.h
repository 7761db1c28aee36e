#pragma once

#include <QIcon>

namespace quorvel {

// The editor window's own icon, 32 x 32: a written page with a pen across it.
QIcon editorIcon();

} // namespace quorvel
