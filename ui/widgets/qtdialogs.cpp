#include "ui/widgets/qtdialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace quorvel {

namespace {

QString title()
{
    return QStringLiteral("Quorvel");
}

// Messages break their lines with CR LF; a label wants "\n".
QString shown(const QString &text)
{
    QString label = text;
    return label.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

void QtDialogs::message(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title(), shown(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool QtDialogs::question(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title(), shown(text), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Yes;
}

bool QtDialogs::input(QString &text)
{
    bool ok = false;
    const QString typed = QInputDialog::getText(QApplication::activeWindow(), title(), QString(),
                                                QLineEdit::Normal, QString(), &ok);
    if (ok)
        text = typed;
    return ok;
}

} // namespace quorvel
