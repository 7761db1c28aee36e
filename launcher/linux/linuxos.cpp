#include "launcher/linux/linuxos.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace quorvel::launcher {

namespace {

bool isSet(const char *variable)
{
    const char *value = std::getenv(variable);
    return value && *value;
}

// Runs a dialog program and waits until the user closes it; false when it cannot be started.
bool runDialog(const char *const *arguments)
{
    pid_t child = 0;
    if (posix_spawnp(&child, arguments[0], nullptr, nullptr, const_cast<char *const *>(arguments),
                     environ) != 0) {
        return false;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

} // namespace

bool LinuxOs::moduleFileName(PathBuffer &path)
{
    // The link names the whole path however long it is: grow the buffer until it fits.
    std::vector<char> name(256);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", name.data(), name.size());
        if (length < 0)
            return false;
        if (static_cast<size_t>(length) < name.size()) {
            fill(path, std::string_view(name.data(), static_cast<size_t>(length)));
            return true;
        }
        name.resize(name.size() * 2);
    }
}

std::string LinuxOs::installationFolderFile()
{
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + "/quorvel/runtime-path";
    const char *home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config/quorvel/runtime-path";
}

bool LinuxOs::installationFolder(PathBuffer &path)
{
    std::ifstream file(installationFolderFile(), std::ios::binary);
    if (!file)
        return false;
    const std::string content{std::istreambuf_iterator<char>(file),
                              std::istreambuf_iterator<char>()};
    if (file.bad())
        return false;
    // The folder is the first line, without its line end; a NUL would cut it short unseen.
    const std::string_view folder =
        std::string_view(content).substr(0, content.find_first_of("\r\n"));
    if (folder.find('\0') != std::string_view::npos)
        return false;
    fill(path, folder);
    return true;
}

void *LinuxOs::loadLibrary(const char *path)
{
    // Resolve everything now: a library with missing symbols is invalid, not a crash later.
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

Symbol LinuxOs::lookUp(void *library, const char *name)
{
    return reinterpret_cast<Symbol>(dlsym(library, name));
}

void LinuxOs::unloadLibrary(void *library)
{
    dlclose(library);
}

size_t LinuxOs::textLength(const char *text)
{
    return std::strlen(text);
}

void LinuxOs::appendText(char *buffer, const char *text)
{
    std::strcat(buffer, text);
}

void LinuxOs::showError(const char *text, const char *caption)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);

    // The launcher links no widget toolkit (the one the program uses lives in the runtime library
    // it could not load), so the box comes from a dialog program, the first one that starts:
    // zenity and kdialog show an error icon and work under X11 and Wayland, xmessage needs X11.
    const bool x11 = isSet("DISPLAY");
    if (!x11 && !isSet("WAYLAND_DISPLAY"))
        return;
    const char *const zenity[] = {"zenity", "--error", "--title", caption, "--text", text, nullptr};
    const char *const kdialog[] = {"kdialog", "--title", caption, "--error", text, nullptr};
    const char *const xmessage[] = {"xmessage", "-center", "-title", caption, text, nullptr};
    if (runDialog(zenity) || runDialog(kdialog))
        return;
    if (x11)
        runDialog(xmessage);
}

void LinuxOs::exitProcess(int code)
{
    std::exit(code);
}

void LinuxOs::fill(PathBuffer &path, std::string_view text)
{
    m_buffer.assign(text.size() + kAppendRoom, '\0');
    std::memcpy(m_buffer.data(), text.data(), text.size());
    path.text = m_buffer.data();
    path.capacity = m_buffer.size();
}

} // namespace quorvel::launcher
