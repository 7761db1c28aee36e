#pragma once

#include "launcher/launchsteps.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvel::launcher {

// The launcher's Linux layer. The installation folder is the first line of the file
// $XDG_CONFIG_HOME/quorvel/runtime-path (~/.config/quorvel/runtime-path when XDG_CONFIG_HOME is
// unset or not absolute). The error goes to standard error, and also into a dialog box where a
// graphical session is open and a dialog program (zenity, kdialog or xmessage) is installed.
class LinuxOs
{
public:
    static constexpr char kSeparator = '/';

    bool moduleFileName(PathBuffer &path);
    bool installationFolder(PathBuffer &path);
    void *loadLibrary(const char *path);
    Symbol lookUp(void *library, const char *name);
    void unloadLibrary(void *library);
    size_t textLength(const char *text);
    void appendText(char *buffer, const char *text);
    void showError(const char *text, const char *caption);
    [[noreturn]] void exitProcess(int code);

    // Where the installation folder is recorded, from the environment.
    static std::string installationFolderFile();

private:
    // Copies text into the buffer, sized to leave kAppendRoom bytes after it.
    void fill(PathBuffer &path, std::string_view text);

    std::vector<char> m_buffer;
};

} // namespace quorvel::launcher
