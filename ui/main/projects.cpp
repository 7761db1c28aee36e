#include "ui/main/mainwindow.h"

namespace quorvel {

void MainWindow::newProject() {}
void MainWindow::renameProject() {}
void MainWindow::saveProject() {}
void MainWindow::deleteProject() {}
void MainWindow::removeEntry() {}
void MainWindow::loadProject() {}

} // namespace quorvel
