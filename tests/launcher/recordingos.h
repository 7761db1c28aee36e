#pragma once

#include "launcher/launchsteps.h"

#include <QStringList>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::test {

// What a fake runtime library does when the launcher uses it.
struct FakeLibrary
{
    bool exportsGetNewSock = true;
    bool returnsStart = true;
    StartResult startResult = kStartProgramEnded;
};

// The launcher's layer for the tests: a scripted file system, registry and set of libraries,
// with Windows separators and a fixed path buffer, recording every call in calls(). The fake
// GetNewSock and start function record into the same list.
class RecordingOs
{
public:
    static constexpr char kSeparator = '\\';
    static constexpr size_t kGuard = 64;

    // Null: the program's file name cannot be read whole.
    std::optional<std::string> modulePath = "C:\\Program Files\\Quorvel\\quorvel.exe";
    // Null: the runtime records no installation folder.
    std::optional<std::string> installationPath;
    std::map<std::string, FakeLibrary> libraries;

    explicit RecordingOs(size_t capacity = 260);
    ~RecordingOs();

    static QStringList &calls();
    // The image that the start function was handed last.
    static const ProgramImage *startedImage();
    // False when a step wrote past the end of the path buffer.
    bool guardIntact() const;

    bool moduleFileName(launcher::PathBuffer &path);
    bool installationFolder(launcher::PathBuffer &path);
    void *loadLibrary(const char *path);
    launcher::Symbol lookUp(void *library, const char *name);
    void unloadLibrary(void *library);
    size_t textLength(const char *text);
    void appendText(char *buffer, const char *text);
    void showError(const char *text, const char *caption);
    void exitProcess(int code);

private:
    bool fill(launcher::PathBuffer &path, const std::string &text);
    std::string nameOf(void *library) const;

    size_t m_capacity;
    std::vector<char> m_buffer; // the path buffer, then kGuard bytes that must stay untouched
};

} // namespace quorvel::test
