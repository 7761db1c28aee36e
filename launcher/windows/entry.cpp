// The Windows launcher: linked without any C runtime, starting at WinMainCRTStartup, the name at
// which the linker starts a program of the Windows subsystem. Build it with build-mingw.sh.

#include "launcher/windows/windowsos.h"

#include <type_traits>

namespace {

static_assert(std::is_trivially_default_constructible_v<quorvel::launcher::WindowsOs>,
              "no constructor runs before the entry point");

// No C runtime splits the command line here: the image carries no arguments, and Qt on Windows
// reads the command line itself.
constinit const quorvel::ProgramImage image = quorvel::makeProgramImage("Quorvel", 0, nullptr);

quorvel::launcher::WindowsOs os;

} // namespace

// The stack is aligned here by the entry code, as nothing before us did it.
extern "C" __attribute__((force_align_arg_pointer)) void WinMainCRTStartup()
{
    quorvel::launcher::runLauncher(os, &image);
}
