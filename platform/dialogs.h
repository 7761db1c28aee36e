#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace quorvel {

// The progress of a long task the user may stop, shown once the task has lasted a second.
class Progress
{
public:
    virtual ~Progress() = default;
    // done of total steps; cheap, to be called after every step.
    virtual void setProgress(int done, int total) = 0;
    // Moves the dialog on and lets it, once shown, take the user's input (the other windows
    // wait). Called a few times a second.
    virtual void keepServed() = 0;
    // True once the user pressed 停止 or Esc.
    virtual bool stopRequested() = 0;
};

// Where the user chose to save a file: the path, and which of the file types offered.
struct SaveTarget
{
    QString path;
    int fileType = 0;
};

// Every question the program asks and every message it shows goes through here, so that tests can
// answer and read them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // A modal message with an OK button.
    virtual void message(const QString &text) = 0;
    // A modal Yes/No question; true when the user chose Yes.
    virtual bool question(const QString &text) = 0;
    // A modal Yes/No/Cancel question.
    enum class Choice
    {
        Yes,
        No,
        Cancel
    };
    virtual Choice questionWithCancel(const QString &text) = 0;
    // questionWithCancel() with buttons that say what each answer does (保存 / 不保存 / 取消), in
    // the order Yes, No, Cancel. Where captions cannot be shown it is asked as
    // questionWithCancel().
    struct Captions
    {
        QString yes;
        QString no;
        QString cancel;
    };
    virtual Choice questionWithCaptions(const QString &text, const Captions &captions);
    // A modal input box with no prompt, title or initial text. On OK the typed line is stored into
    // text and true is returned; on Cancel text keeps its value and false is returned.
    virtual bool input(QString &text) = 0;
    // A progress dialog with the label and a 停止 button, for a task of many steps. Where nobody
    // can watch (the command line), nothing shows and nothing stops.
    virtual std::unique_ptr<Progress> startProgress(const QString &label);
    // A file dialog to choose where to save, starting at suggested, offering the file types
    // (each "name (*.ext)"), the first one chosen at first; nothing when the user cancels. It does
    // not ask about replacing a file: the caller asks.
    virtual std::optional<SaveTarget> saveFileName(const QString &suggested,
                                                   const QStringList &fileTypes);
};

} // namespace quorvel
