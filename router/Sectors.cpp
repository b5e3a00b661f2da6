#include "router/Sectors.h"

#include "nav/Angles.h"

#include <algorithm>
#include <cmath>

Sectors::Sectors(double sectorDegrees, int keepPerSector)
    : width(sectorDegrees)
    , sectorCount(static_cast<int>(std::ceil(360.0 / sectorDegrees)))
    , keep(keepPerSector)
    , slots(static_cast<size_t>(sectorCount * keepPerSector))
    , filled(static_cast<size_t>(sectorCount), 0)
{
}

void Sectors::clear()
{
    std::fill(filled.begin(), filled.end(), 0);
}

void Sectors::offer(double bearing, const FrontCandidate& candidate)
{
    int sector = std::min(static_cast<int>(normalizeDegrees(bearing) / width), sectorCount - 1);
    FrontCandidate* kept = &slots[static_cast<size_t>(sector * keep)];
    int& count = filled[static_cast<size_t>(sector)];
    if (count == keep && candidate.score >= kept[count - 1].score)
        return;
    int place = count < keep ? count++ : count - 1;
    while (place > 0 && kept[place - 1].score > candidate.score) {
        kept[place] = kept[place - 1];
        --place;
    }
    kept[place] = candidate;
}
