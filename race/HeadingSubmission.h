#pragma once

#include <string>

struct BoatRecord;
struct RaceRecord;

// The heading request for the own boat's heading and sail, numbers written as a default
// output stream writes them (87.5, 90, 0.333333).
std::string headingUrl(const BoatRecord& own, const RaceRecord& race);
// Sends heading and sail to the race server (the download thread checks the "OK") and
// copies the submitted heading, sail and speed into the race record.
void submitHeading(const BoatRecord& own, RaceRecord& race);
