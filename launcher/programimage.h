#pragma once

// What the launcher and the runtime library agree on. This header is read by the launcher's
// Windows build too, which has no C or C++ runtime: keep it to freestanding headers.

#include <stdint.h>

#if defined(_WIN32) && defined(__i386__)
#define QUORVEL_RUNTIME_CALL __stdcall
#else
#define QUORVEL_RUNTIME_CALL
#endif

namespace quorvel {

// The program image: a small descriptor of the program that the launcher holds and hands to the
// runtime's start function. The runtime checks the magic, the version and the size before it
// trusts anything else in it, so a later launcher may append fields and raise the size.
struct ProgramImage
{
    char magic[8];           // kProgramImageMagic, NUL included
    uint32_t version;        // kProgramImageVersion
    uint32_t size;           // sizeof(ProgramImage) of the launcher that built it
    const char *programName; // the program's name, for its windows and messages
    // The process's arguments where the launcher has them (argc 0 and argv null otherwise); they
    // must outlive the start function's call.
    int argc;
    char **argv;
};

inline constexpr char kProgramImageMagic[8] = "QRVLIMG";
inline constexpr uint32_t kProgramImageVersion = 1;

constexpr ProgramImage makeProgramImage(const char *programName, int argc, char **argv)
{
    ProgramImage image{};
    for (int i = 0; i < 8; ++i)
        image.magic[i] = kProgramImageMagic[i];
    image.version = kProgramImageVersion;
    image.size = sizeof(ProgramImage);
    image.programName = programName;
    image.argc = argc;
    image.argv = argv;
    return image;
}

// The start function returns once the program has ended, or at once when it does not know the
// image; the launcher takes a refused image like a library that cannot be used.
enum StartResult : int32_t
{
    kStartProgramEnded = 0,
    kStartImageRefused = 1,
};

using StartFunction = int32_t(QUORVEL_RUNTIME_CALL *)(const ProgramImage *image);

// The runtime library's one export: GetNewSock(kStartSelector) returns the start function, every
// other value returns null.
using GetNewSockFunction = StartFunction(QUORVEL_RUNTIME_CALL *)(int32_t selector);

inline constexpr int32_t kStartSelector = 1000;
inline constexpr char kGetNewSockName[] = "GetNewSock";

// The runtime library beside the program, and in the runtime's installation folder.
inline constexpr char kRuntimeBesideProgram[] = "krnln.fnr";
inline constexpr char kRuntimeInInstallFolder[] = "krnln.fne";

} // namespace quorvel
