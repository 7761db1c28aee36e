#pragma once

// The launcher's steps, written once over a thin operating-system layer. The layers are the
// Linux one (launcher/linux), the Windows one (launcher/windows) and the tests' recording one.
// Nothing here may need a C or C++ runtime: the Windows launcher is linked without one.

#include "launcher/programimage.h"

#include <concepts>
#include <stddef.h>

namespace quorvel::launcher {

// The one path buffer of the launcher, owned by the layer: text is NUL-terminated and capacity
// counts every byte the buffer holds, the NUL included.
struct PathBuffer
{
    char *text = nullptr;
    size_t capacity = 0;
};

// A layer that sizes its buffer to the text it reads leaves at least this many bytes free after
// it: room for a separator, a library file name and the NUL.
inline constexpr size_t kAppendRoom = 16;

inline constexpr char kErrorText[] =
    "Not found the kernel library or the kernel library is invalid!";
inline constexpr char kErrorCaption[] = "Error";
inline constexpr int kLauncherFailed = -1;

// Any exported function, as the layer finds it; cast to its real type before the call.
using Symbol = void (*)();

// clang-format off
template <class Os>
concept OsLayer = requires(Os &os, PathBuffer &path, const char *text, char *buffer, void *library,
                           int code) {
    requires std::same_as<decltype(Os::kSeparator), const char>;
    // The program's whole file name; false when it cannot be read whole.
    requires std::same_as<decltype(os.moduleFileName(path)), bool>;
    // The runtime's installation folder; false when it is not recorded or cannot be read whole.
    requires std::same_as<decltype(os.installationFolder(path)), bool>;
    requires std::same_as<decltype(os.loadLibrary(text)), void *>;
    requires std::same_as<decltype(os.lookUp(library, text)), Symbol>;
    os.unloadLibrary(library);
    requires std::same_as<decltype(os.textLength(text)), size_t>;
    os.appendText(buffer, text);
    os.showError(text, text);
    os.exitProcess(code);
};
// clang-format on

namespace detail {

// Cuts the program's file name after its folder, keeping the final separator. The search starts
// six characters before the end: the last five characters are never examined. False when no
// separator is found.
inline bool cutAfterFolder(char *text, size_t length, char separator)
{
    for (size_t i = length >= 6 ? length - 5 : 0; i-- > 0;) {
        if (text[i] == separator) {
            text[i + 1] = '\0';
            return true;
        }
    }
    return false;
}

// Appends suffix when it fits the buffer; a text that does not fit is left as it was.
template <OsLayer Os> bool appendIfFits(Os &os, PathBuffer &path, const char *suffix)
{
    if (os.textLength(path.text) + os.textLength(suffix) >= path.capacity)
        return false;
    os.appendText(path.text, suffix);
    return true;
}

// The runtime library in the folder where the runtime is installed, or null when no folder is
// recorded or the library there does not load.
template <OsLayer Os> void *loadFromInstallationFolder(Os &os, PathBuffer &path)
{
    if (!os.installationFolder(path))
        return nullptr;
    const size_t length = os.textLength(path.text);
    if (length == 0 || path.text[length - 1] != Os::kSeparator) {
        const char separator[2] = {Os::kSeparator, '\0'};
        if (!appendIfFits(os, path, separator))
            return nullptr;
    }
    if (!appendIfFits(os, path, kRuntimeInInstallFolder))
        return nullptr;
    return os.loadLibrary(path.text);
}

template <OsLayer Os> int fail(Os &os)
{
    os.showError(kErrorText, kErrorCaption);
    return kLauncherFailed;
}

} // namespace detail

// Finds, loads and starts the runtime library, handing it the program image. Returns 0 once the
// program has ended, or -1 after the one error message when no usable library was found.
template <OsLayer Os> int startRuntime(Os &os, const ProgramImage *image)
{
    PathBuffer path;
    void *library = nullptr;

    // First the library beside the program. A program whose folder cannot be told, or
    // whose folder leaves no room for the file name, has no library beside it.
    if (os.moduleFileName(path) &&
        detail::cutAfterFolder(path.text, os.textLength(path.text), Os::kSeparator) &&
        detail::appendIfFits(os, path, kRuntimeBesideProgram)) {
        library = os.loadLibrary(path.text);
    }
    if (!library)
        library = detail::loadFromInstallationFolder(os, path);
    if (!library)
        return detail::fail(os);

    // Then its start function, which runs the program. From here a failure unloads the
    // library before the message.
    const auto getNewSock =
        reinterpret_cast<GetNewSockFunction>(os.lookUp(library, kGetNewSockName));
    const StartFunction start = getNewSock ? getNewSock(kStartSelector) : nullptr;
    if (!start || start(image) != kStartProgramEnded) {
        os.unloadLibrary(library);
        return detail::fail(os);
    }
    return 0;
}

// The process entry: runs the steps and ends the process with their result.
template <OsLayer Os> void runLauncher(Os &os, const ProgramImage *image)
{
    os.exitProcess(startRuntime(os, image));
}

} // namespace quorvel::launcher
