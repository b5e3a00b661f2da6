#include "server/LandMaskAnswer.h"

#include "server/Coastline.h"
#include "server/GeoMath.h"
#include "server/TableWriter.h"

namespace server {

std::string landMaskTable(const LandMask& land, int z, int x, int y)
{
    TableWriter out;
    out.field("numCells", landMaskCells).key("land").open();
    for (int row = 0; row < landMaskCells; ++row) {
        double py = (y + (row + 0.5) / landMaskCells) * 256.0;
        double lat = worldYToLat(py, z);
        for (int column = 0; column < landMaskCells; ++column) {
            double px = (x + (column + 0.5) / landMaskCells) * 256.0;
            out.value(land.isLand(lat, worldXToLon(px, z)));
        }
    }
    out.close();
    return out.text();
}

} // namespace server
