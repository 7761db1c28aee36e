#include "launcher/linux/linuxos.h"

int main(int argc, char **argv)
{
    // The arguments live until the process ends, so the image may hand them on.
    static quorvel::ProgramImage image = quorvel::makeProgramImage("Quorvel", argc, argv);
    quorvel::launcher::LinuxOs os;
    quorvel::launcher::runLauncher(os, &image);
}
