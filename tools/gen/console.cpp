#include "tools/gen/console.h"

#include <QJsonDocument>

#include <cstdio>

namespace quorvel::gen {

void printLine(const QString &line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
}

void printJson(const QJsonObject &object)
{
    std::fputs((QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n').constData(), stdout);
}

void printMessage(const QString &text)
{
    std::fflush(stdout);
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.append(u'\n');
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
}

void MessageTally::add(const QString &message)
{
    qint64 &count = m_counts[message];
    if (count++ == 0)
        m_order.append(message);
}

void MessageTally::print() const
{
    for (const QString &message : m_order) {
        const qint64 count = m_counts.value(message);
        printMessage(count > 1 ? message + QStringLiteral("（共 %1 次）").arg(count) : message);
    }
}

void printError(const QString &text)
{
    std::fputs((QStringLiteral("quorvel-gen：") + text + u'\n').toUtf8().constData(), stderr);
}

} // namespace quorvel::gen
