#include "tests/hardening/childprocess.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel::test {

pid_t startChild(const std::function<int()> &work)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int code = work();
        // _exit: the child must not run the test framework's exit handlers or flush its buffers.
        ::_exit(code);
    }
    return child;
}

int waitForChild(pid_t child)
{
    if (child < 0)
        return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int waitForChild(pid_t child, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0 && errno != EINTR)
            return -1;
        ::usleep(10'000);
    }
    ::kill(child, SIGKILL);
    waitForChild(child);
    return TimedOut;
}

int runInChild(const std::function<int()> &work)
{
    return waitForChild(startChild(work));
}

bool dropRootRights()
{
    if (::geteuid() != 0)
        return true;
    constexpr uid_t Nobody = 65534;
    return ::setgroups(0, nullptr) == 0 && ::setgid(Nobody) == 0 && ::setuid(Nobody) == 0 &&
           ::geteuid() == Nobody;
}

} // namespace quorvel::test
