#include "ui/editor/editorwindow.h"

#include "ui/widgets/geometry.h"

namespace quorvel {

EditorWindow::EditorWindow(Library &library, Services services, QWidget *parent)
    : QWidget(parent), m_library(library), m_services(services)
{
    setWindowTitle(QString::fromUtf16(u"模板元素编辑器v.1.0.0"));
    useWindowFont(this);
    setGeometry(50, 50, 641, 497);
}

} // namespace quorvel
