#include "ui/main/mainwindow.h"

namespace quorvel {

void MainWindow::showCategory() {}
void MainWindow::previewCatalogueTemplate() {}
void MainWindow::previewProjectTemplate() {}
void MainWindow::appendTemplate() {}
void MainWindow::previewTemplate(const Text &, const QString &) {}

} // namespace quorvel
