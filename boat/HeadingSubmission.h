#pragma once

struct BoatRecord;
struct RaceEntry;

// Sends the own boat's heading and sail for the race to the race server (the download
// thread checks the "OK", the race's command state reports the answer) and copies the submitted heading, sail and speed into the
// entry's boat as the values the server now has.
void submitHeading(const BoatRecord& own, RaceEntry& race);
