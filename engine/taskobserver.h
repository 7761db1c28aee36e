#pragma once

#include <QtGlobal>

namespace quorvel {

// Follows a long task of the engine as it goes (a run, a library check): the window's progress
// dialog and 停止, the command line's signals.
class TaskObserver
{
public:
    virtual ~TaskObserver() = default;
    // After each step (a template of a run, a file of a check): how many are done, of how many.
    virtual void progressed(int done, int total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
    // Asked after each step, and during a run now and then inside a long expansion: true ends
    // the task. A run drops the line being made then (every line made before it was handed on);
    // a check stops reading and finds nothing.
    virtual bool stopRequested() { return false; }
};

} // namespace quorvel
