#include "ui/main/mainwindow.h"

namespace quorvel {

void MainWindow::runNovel() {}

} // namespace quorvel
