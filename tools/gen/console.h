#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace quorvel::gen {

// What quorvel-gen writes, all of it in UTF-8, one item per line.

// A line of a report on standard output.
void printLine(const QString &line);
// A JSON object on one line of standard output.
void printJson(const QJsonObject &object);
// A message of the run on standard error, as the window would show it in a box: its line breaks
// become blanks. Whatever was written to standard output goes first, so that in a shared
// terminal or log a message stands after the lines made before it.
void printMessage(const QString &text);
// The messages of one invocation (all its --times runs), each different one told once: counted
// as they come, and written by print() in the order first met, with how many times it came when
// that is more than once ("……（共 1000 次）"). A message's words name what it is about (the
// element, the file, the circle), so one text is one kind of message for one element.
class MessageTally
{
public:
    void add(const QString &message);
    void print() const;

private:
    QStringList m_order;
    QHash<QString, qint64> m_counts;
};

// A problem of quorvel-gen itself on standard error, after the program's name.
void printError(const QString &text);

} // namespace quorvel::gen
