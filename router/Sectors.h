#pragma once

#include <cstddef>
#include <vector>

// A leg that may join the next front: from a point of the front, on a heading with a
// sail at its speed (knots) where the leg starts.
struct FrontCandidate {
    // The cosine of the angular distance of the leg's end from the start: smaller is
    // farther.
    double score = 0.0;
    int point = 0;
    double heading = 0.0;
    double speed = 0.0;
    int sail = 0;
};

// The farthest few candidates in each bearing sector seen from the start, farthest first.
class Sectors {
public:
    Sectors(double sectorDegrees, int keepPerSector);

    void clear();
    // Files the candidate under the sector of its bearing (degrees) if it is among the
    // farthest there.
    void offer(double bearing, const FrontCandidate& candidate);

    int count() const { return sectorCount; }
    const FrontCandidate* begin(int sector) const { return &slots[static_cast<size_t>(sector * keep)]; }
    const FrontCandidate* end(int sector) const { return begin(sector) + filled[static_cast<size_t>(sector)]; }

private:
    double width;
    int sectorCount;
    int keep;
    std::vector<FrontCandidate> slots;
    std::vector<int> filled;
};
