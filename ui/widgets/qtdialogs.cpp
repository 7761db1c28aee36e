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

// A message may name what it is about, and a hostile name can be megabytes long: no screen shows
// such a label, and laying it out stopped the window for minutes. Of an overlong message the
// start (the name) and the end (what is wrong) are shown, with an ellipsis for the middle.
constexpr qsizetype LongestMessage = 1000;
constexpr qsizetype ShownEnd = 200;

// Messages break their lines with CR LF; a label wants "\n".
QString shown(const QString &text)
{
    QString label = text;
    label.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (label.size() <= LongestMessage)
        return label;
    qsizetype start = LongestMessage - ShownEnd;
    qsizetype end = label.size() - ShownEnd;
    // Never cut a character that takes two UTF-16 units in half.
    if (label.at(start - 1).isHighSurrogate())
        --start;
    if (label.at(end).isLowSurrogate())
        ++end;
    return label.left(start) + u'\u2026' + label.mid(end);
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
