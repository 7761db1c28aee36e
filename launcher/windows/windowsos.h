#pragma once

#include "launcher/launchsteps.h"

#include <windows.h>

namespace quorvel::launcher {

// The launcher's Windows layer. It calls only GetModuleFileNameA, lstrcatA, lstrlenA, LoadLibraryA,
// GetProcAddress, FreeLibrary, ExitProcess, MessageBoxA, RegOpenKeyExA, RegQueryValueExA and
// RegCloseKey, and needs no C runtime: it must stay trivially constructible, since no static
// constructor ever runs in this program.
class WindowsOs
{
public:
    static constexpr char kSeparator = '\\';
    // Where the runtime records its installation folder: the value Path of this key under
    // HKEY_CURRENT_USER.
    static constexpr char kInstallationKey[] = "Software\\Quorvel\\Runtime";
    static constexpr char kInstallationValue[] = "Path";
    // Room for the longest path that GetModuleFileNameA can give: 32767 characters of up to two
    // bytes each, and the NUL.
    static constexpr DWORD kCapacity = 65536;

    bool moduleFileName(PathBuffer &path)
    {
        // A path that fills the buffer was cut short.
        const DWORD length = GetModuleFileNameA(nullptr, m_buffer, kCapacity);
        if (length == 0 || length >= kCapacity)
            return false;
        path = PathBuffer{m_buffer, kCapacity};
        return true;
    }

    bool installationFolder(PathBuffer &path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kInstallationKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        // One byte stays free for the NUL that a stored value need not have; a longer value
        // fails the read.
        DWORD size = kCapacity - 1;
        const LONG read = RegQueryValueExA(key, kInstallationValue, nullptr, nullptr,
                                           reinterpret_cast<BYTE *>(m_buffer), &size);
        RegCloseKey(key);
        if (read != ERROR_SUCCESS)
            return false;
        m_buffer[size] = '\0';
        path = PathBuffer{m_buffer, kCapacity};
        return true;
    }

    void *loadLibrary(const char *path) { return LoadLibraryA(path); }

    Symbol lookUp(void *library, const char *name)
    {
        return reinterpret_cast<Symbol>(GetProcAddress(static_cast<HMODULE>(library), name));
    }

    void unloadLibrary(void *library) { FreeLibrary(static_cast<HMODULE>(library)); }
    size_t textLength(const char *text) { return static_cast<size_t>(lstrlenA(text)); }
    void appendText(char *buffer, const char *text) { lstrcatA(buffer, text); }
    void showError(const char *text, const char *caption)
    {
        MessageBoxA(nullptr, text, caption, MB_ICONERROR);
    }
    void exitProcess(int code) { ExitProcess(static_cast<UINT>(code)); }

private:
    char m_buffer[kCapacity];
};

} // namespace quorvel::launcher
