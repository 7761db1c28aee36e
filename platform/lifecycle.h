#pragma once

#include <functional>
#include <vector>

namespace quorvel {

// The program's entry and exit: exit routines registered at entry run once when the program ends.
class Lifecycle
{
public:
    void registerExitRoutine(std::function<void()> routine);
    // Runs the registered exit routines once, in the order they were registered.
    void end();

private:
    std::vector<std::function<void()>> m_exitRoutines;
    bool m_ended = false;
};

} // namespace quorvel
