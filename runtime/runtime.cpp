#include "app/programentry.h"
#include "launcher/programimage.h"

#include <cstring>

namespace quorvel {

namespace {

// An image this runtime can run: its own magic and version, every field of that version present,
// and arguments that can be read.
bool isKnownImage(const ProgramImage *image)
{
    if (!image || std::memcmp(image->magic, kProgramImageMagic, sizeof image->magic) != 0)
        return false;
    if (image->version != kProgramImageVersion || image->size < sizeof(ProgramImage))
        return false;
    return image->argc >= 0 && (image->argc == 0 || image->argv);
}

int32_t QUORVEL_RUNTIME_CALL startProgram(const ProgramImage *image)
{
    if (!isKnownImage(image))
        return kStartImageRefused;

    // Qt keeps the arguments for the life of the application, which ends inside runProgram: a
    // launcher without arguments gets the program's name here, living as long.
    static char programName[] = "quorvel";
    char *noArguments[] = {programName, nullptr};
    const bool hasArguments = image->argc > 0;
    runProgram(hasArguments ? image->argc : 1, hasArguments ? image->argv : noArguments);
    return kStartProgramEnded;
}

} // namespace

} // namespace quorvel

extern "C" __attribute__((visibility("default"))) quorvel::StartFunction QUORVEL_RUNTIME_CALL
GetNewSock(int32_t selector)
{
    return selector == quorvel::kStartSelector ? &quorvel::startProgram : nullptr;
}
