#pragma once

#include <QJsonObject>
#include <QString>

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
// A problem of quorvel-gen itself on standard error, after the program's name.
void printError(const QString &text);

} // namespace quorvel::gen
