#pragma once

#include <QString>

namespace quorvel::bench {

class BenchLibrary;

// quorvel-gen and the peer, Tracery (npm tracery-grammar), run as the programs a user starts on
// the same material: the bench library, and the same library written as a Tracery grammar. The
// two run in turn, round after round, so that whatever else the machine does falls on both.
struct PeerFigures
{
    double linesPerSecond = 0;        // quorvel-gen, median
    double linesPerSecondNoCache = 0; // quorvel-gen --no-cache, median
    double traceryLinesPerSecond = 0; // median; 0 when Tracery could not be run
};

// peerFolder holds tracery-run.js with tracery-grammar installed beside it (make bench does so);
// gen is the quorvel-gen program. Prints every figure and returns them.
PeerFigures measurePeer(const BenchLibrary &lib, const QString &peerFolder, const QString &gen);

} // namespace quorvel::bench
