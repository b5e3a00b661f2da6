#pragma once

#include "net/Registry.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class Texture;

// (direction the wind comes from in degrees, speed) of one cell of a wind grid.
using Wind = std::pair<double, double>;

// A counted handle on the wind grid of one map tile at one forecast time.
class WindTile {
public:
    virtual ~WindTile() = default;
    // Cells per tile side; 0 until the data has arrived.
    virtual int32_t gridSize() const = 0;
    virtual const Wind& windAt(int32_t column, int32_t row) const = 0;
    virtual bool isLoading() const = 0;
    virtual const char* getName() const = 0;
    virtual int32_t getTime() const = 0;
};

// One wind grid of the registry, shared by every handle on its URL.
struct WindData : RegistryEntry {
    int32_t z = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t time = 0;
    // n * n cells, row by row.
    std::vector<Wind> winds;
    int32_t n = 0;
};

class WindTileImp : public WindTile {
public:
    explicit WindTileImp(WindData* data);

    int32_t gridSize() const override;
    const Wind& windAt(int32_t column, int32_t row) const override;
    bool isLoading() const override;
    const char* getName() const override;
    int32_t getTime() const override;

private:
    EntryUse<WindData> data;
};

// Every wind grid asked for, by request URL; each is downloaded once.
class WindRegistry : public Registry<WindData> {
public:
    WindRegistry();

    // A new handle owned by the caller; the first handle on a grid starts its download.
    std::unique_ptr<WindTile> getTile(int32_t z, int32_t x, int32_t y, int32_t time);
    // Asks once more for a grid whose download failed; false when the grid is not
    // registered, has arrived or is still in flight.
    bool retry(const std::string& url);
    // Run once per frame: takes in at most one finished wind download, then trims. Returns
    // whether a download finished.
    bool poll();
};

extern WindRegistry windRegistry;

// The process-wide registry's operations, as the program's start-up, event loop and map
// call them. resetWindRegistry empties it (start-up and tear-down).
void resetWindRegistry();
std::unique_ptr<WindTile> getWindTile(int32_t z, int32_t x, int32_t y, int32_t time);
bool pollWindDownloads();
// Reads a wind answer (no envelope) into the record; false, with a message, when unusable.
bool parseWinds(const std::string& text, WindData& data);
// The arrows drawWindArrows draws, by how far each may reach beyond the tile's rectangle:
// 0 for an arrow wholly inside it.
struct Overhang {
    int least = 0;
    int most = 1 << 30;
};
// Draws one arrow per cell over the tile's rectangle, rotated by the wind's direction and
// sized by its speed (natural size at 50). Returns the number of arrows drawn.
int drawWindArrows(SDL_Renderer* renderer, const SDL_Rect& tile, const WindTile* wind, const Texture* arrow,
    Overhang selection = {});
