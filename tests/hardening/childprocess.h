#pragma once

#include <functional>
#include <sys/types.h>

namespace quorvel::test {

// Some faults can only be arranged in a process of their own: one that gives up root's rights,
// one with a private mount, one that is killed half-way. These helpers run such a piece of work in
// a forked child; the child never returns into the test framework.

// Exit code a child uses when the fault cannot be arranged here (no rights to mount, say).
inline constexpr int CannotArrange = 77;

// Runs work in a child and returns its exit code, or -1 when it died by a signal.
int runInChild(const std::function<int()> &work);

// Starts work in a child and returns at once with its process id.
pid_t startChild(const std::function<int()> &work);
// Waits for the child; its exit code, or -1 when it died by a signal.
int waitForChild(pid_t child);
// The same, but a child still running after timeoutMs is killed and TimedOut returned.
inline constexpr int TimedOut = -2;
int waitForChild(pid_t child, int timeoutMs);

// Gives up root's rights for good, as a user without any rights in the test's folders would
// have. True when the process now runs as such a user; without root it already does.
bool dropRootRights();

} // namespace quorvel::test
