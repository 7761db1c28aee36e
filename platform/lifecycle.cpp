#include "platform/lifecycle.h"

namespace quorvel {

void Lifecycle::registerExitRoutine(std::function<void()> routine)
{
    m_exitRoutines.push_back(std::move(routine));
}

void Lifecycle::end()
{
    if (m_ended)
        return;
    m_ended = true;
    for (const auto &routine : m_exitRoutines)
        routine();
}

} // namespace quorvel
