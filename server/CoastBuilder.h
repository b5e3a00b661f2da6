#pragma once

#include "server/CoastGrid.h"

#include <istream>
#include <string>
#include <vector>

namespace server {

// Turns the GSHHG shorelines that GMT dumps (segments cut at GMT's storage bins) into
// closed land rings, and cuts those into the cells of a CoastGrid.
class CoastBuilder {
public:
    // Runs "gmt coast" for a resolution letter (c, l, i, h) in `workDir` (GMT leaves a
    // history file in its working folder, removed afterwards) and builds the grid.
    static CoastGrid fromGmt(char resolution, double cellSize, const std::string& workDir);

    // Reads GMT's multisegment text: "> header" lines, then "lon lat" lines.
    static std::vector<Ring> readSegments(std::istream& in);
    // Joins segments end to start into closed rings. Rings cut at the date line are
    // closed along it; one that runs right round the globe (Antarctica) is closed
    // through the pole.
    static std::vector<Ring> assemble(std::vector<Ring> segments);
    static CoastGrid cut(const std::vector<Ring>& rings, double cellSize);
    // Sutherland-Hodgman clip of a closed ring against a rectangle.
    static Ring clip(const Ring& ring, double west, double south, double east, double north);
};

} // namespace server
