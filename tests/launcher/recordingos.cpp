#include "recordingos.h"

#include <algorithm>
#include <cstring>

namespace quorvel::test {

namespace {

constexpr char kGuardByte = '#';

const FakeLibrary *g_library = nullptr; // the library whose GetNewSock was looked up last
const ProgramImage *g_startedImage = nullptr;

QString text(const char *bytes)
{
    return QString::fromLatin1(bytes);
}

int32_t fakeStart(const ProgramImage *image)
{
    g_startedImage = image;
    RecordingOs::calls() << QStringLiteral("start");
    return g_library->startResult;
}

StartFunction fakeGetNewSock(int32_t selector)
{
    RecordingOs::calls() << QStringLiteral("GetNewSock %1").arg(selector);
    return g_library->returnsStart && selector == kStartSelector ? &fakeStart : nullptr;
}

} // namespace

RecordingOs::RecordingOs(size_t capacity)
    : m_capacity(capacity), m_buffer(capacity + kGuard, kGuardByte)
{
    calls().clear();
    g_library = nullptr;
    g_startedImage = nullptr;
}

RecordingOs::~RecordingOs() = default;

QStringList &RecordingOs::calls()
{
    static QStringList list;
    return list;
}

const ProgramImage *RecordingOs::startedImage()
{
    return g_startedImage;
}

bool RecordingOs::guardIntact() const
{
    return std::all_of(m_buffer.begin() + static_cast<std::ptrdiff_t>(m_capacity), m_buffer.end(),
                       [](char byte) { return byte == kGuardByte; });
}

bool RecordingOs::moduleFileName(launcher::PathBuffer &path)
{
    calls() << QStringLiteral("moduleFileName");
    return modulePath && fill(path, *modulePath);
}

bool RecordingOs::installationFolder(launcher::PathBuffer &path)
{
    calls() << QStringLiteral("installationFolder");
    return installationPath && fill(path, *installationPath);
}

void *RecordingOs::loadLibrary(const char *path)
{
    calls() << QStringLiteral("load ") + text(path);
    const auto found = libraries.find(path);
    return found == libraries.end() ? nullptr : &found->second;
}

launcher::Symbol RecordingOs::lookUp(void *library, const char *name)
{
    calls() << QStringLiteral("lookUp ") + text(name);
    const auto *fake = static_cast<const FakeLibrary *>(library);
    if (std::strcmp(name, kGetNewSockName) != 0 || !fake->exportsGetNewSock)
        return nullptr;
    g_library = fake;
    return reinterpret_cast<launcher::Symbol>(&fakeGetNewSock);
}

void RecordingOs::unloadLibrary(void *library)
{
    calls() << QStringLiteral("unload ") + QString::fromStdString(nameOf(library));
}

size_t RecordingOs::textLength(const char *text)
{
    return std::strlen(text);
}

void RecordingOs::appendText(char *buffer, const char *text)
{
    std::strcat(buffer, text);
}

void RecordingOs::showError(const char *message, const char *caption)
{
    calls() << QStringLiteral("message %1 | %2").arg(text(caption), text(message));
}

void RecordingOs::exitProcess(int code)
{
    calls() << QStringLiteral("exit %1").arg(code);
}

bool RecordingOs::fill(launcher::PathBuffer &path, const std::string &value)
{
    // Like the Windows layer: a text that does not fit the buffer with its NUL is not read.
    if (value.size() >= m_capacity)
        return false;
    std::memcpy(m_buffer.data(), value.c_str(), value.size() + 1);
    path = launcher::PathBuffer{m_buffer.data(), m_capacity};
    return true;
}

std::string RecordingOs::nameOf(void *library) const
{
    for (const auto &[name, fake] : libraries) {
        if (&fake == library)
            return name;
    }
    return "?";
}

} // namespace quorvel::test
