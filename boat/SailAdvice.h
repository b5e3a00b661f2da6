#pragma once

#include <string>

struct BoatRecord;

// What the control panel says about the sail at the boat's heading and wind: the other
// sail's speed when it is the faster by 2% or more, and whether the heading lies where the
// polar of the set sail gives no speed.
struct SailAdvice {
    // "Spinnaker faster: 7.2 kn" or "Jib faster: 6.1 kn"; empty when the set sail is fine.
    std::string faster;
    bool noGo = false;
};

// Nothing to advise without a boat description or with a sail other than jib or spinnaker.
SailAdvice adviseSail(const BoatRecord& boat);
