#include "race/WindTile.h"

#include "app/Storage.h"
#include "gui/Texture.h"
#include "net/Downloader.h"
#include "net/Protocol.h"
#include "table/Exception.h"
#include "table/Table.h"
#include "table/Value.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

WindRegistry windRegistry;

namespace {

// Without the arrow image the wind is still shown: a line from the cell's centre in the
// direction the wind blows, as long as the image would be tall.
void drawWindLine(SDL_Renderer* renderer, int centreX, int centreY, const Wind& wind)
{
    double length = 48.0 * wind.second / 50.0;
    double blowsTowards = (wind.first + 180.0) * M_PI / 180.0;
    int dx = truncateToInt(std::sin(blowsTowards) * length / 2);
    int dy = truncateToInt(-std::cos(blowsTowards) * length / 2);
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 200);
    SDL_RenderDrawLine(renderer, centreX - dx, centreY - dy, centreX + dx, centreY + dy);
}

// SDL's software renderer crashes on a rotation that is not finite and on a copy tens of
// thousands of pixels wide, so a cell that holds no real wind (a direction or speed that
// is not finite, a speed beyond any on earth) is left out.
bool isDrawable(const Wind& wind)
{
    return std::isfinite(wind.first) && std::isfinite(wind.second) && std::fabs(wind.second) <= 1000;
}

// How far from its cell's centre an arrow (or the line drawn without its image) may reach
// along each axis, whatever its rotation: half the diagonal of its rectangle, plus a pixel
// for the renderer's rounding.
int arrowReach(const Wind& wind, const Texture* arrow)
{
    double width = arrow && arrow->getTexture() ? arrow->getWidth() : 0.0;
    double height = arrow && arrow->getTexture() ? arrow->getHeight() : 48.0;
    double scale = std::fabs(wind.second) / 50.0;
    return int(std::ceil(std::hypot(width, height) * scale / 2.0)) + 2;
}

// How many pixels a square of the given reach about a point, given relative to the tile's
// corner, sticks out of the tile on its farthest side; 0 when it stays inside.
int overhang(SDL_Point centre, int reach, const SDL_Rect& tile)
{
    int out = std::max({ reach - centre.x, reach - centre.y, centre.x + reach - (tile.w - 1), centre.y + reach - (tile.h - 1) });
    return std::max(out, 0);
}

void takeIn(const Answer& answer, WindData& data)
{
    if (answer.status == 0 && answer.bytes && answer.length > 0) {
        if (!parseWinds(answer.bytes.get(), data))
            std::printf("Error downloading '%s'\n", data.name.c_str());
    } else {
        std::printf("Error downloading wind '%s'\n", data.name.c_str());
    }
}

}

WindTileImp::WindTileImp(WindData* data)
    : data(*data)
{
}

int32_t WindTileImp::gridSize() const
{
    return data->n;
}

const Wind& WindTileImp::windAt(int32_t column, int32_t row) const
{
    return data->winds[size_t(row) * size_t(data->n) + size_t(column)];
}

bool WindTileImp::isLoading() const
{
    return data->downloadId != 0;
}

const char* WindTileImp::getName() const
{
    return data->name.c_str();
}

int32_t WindTileImp::getTime() const
{
    return data->time;
}

WindRegistry::WindRegistry()
    : Registry(WindRequest)
{
}

// A grid whose earlier download failed is not asked for again while it is registered.
std::unique_ptr<WindTile> WindRegistry::getTile(int32_t z, int32_t x, int32_t y, int32_t time)
{
    std::string url = windUrl(z, x, y, time);
    if (WindData* found = find(url))
        return std::make_unique<WindTileImp>(found);
    WindData& data = add(url);
    data.z = z;
    data.x = x;
    data.y = y;
    data.time = time;
    startDownload(data);
    return std::make_unique<WindTileImp>(&data);
}

bool WindRegistry::retry(const std::string& url)
{
    WindData* data = find(url);
    if (!data || data->downloadId != 0 || data->n > 0)
        return false;
    startDownload(*data);
    return data->downloadId != 0;
}

bool WindRegistry::poll()
{
    Answer answer;
    WindData* data = collectFinished(answer);
    if (data)
        takeIn(answer, *data);
    trim();
    return data != nullptr;
}

void resetWindRegistry()
{
    windRegistry.reset();
}

std::unique_ptr<WindTile> getWindTile(int32_t z, int32_t x, int32_t y, int32_t time)
{
    return windRegistry.getTile(z, x, y, time);
}

bool pollWindDownloads()
{
    return windRegistry.poll();
}

bool parseWinds(const std::string& text, WindData& data)
{
    try {
        Table root = parseTable(text);
        int32_t n = getInt(root, "numWinds");
        if (n == 0) {
            std::printf("Error: no winds number.\n");
            return false;
        }
        const Table* winds = getTable(root, "winds");
        if (!winds) {
            std::printf("Error: no winds data.\n");
            return false;
        }
        if (n < 0 || n > 256)
            throw Exception("Invalid winds number " + std::to_string(n));
        std::vector<Wind> cells;
        for (int32_t k = 0; k < 2 * n * n; k += 2)
            cells.emplace_back(getDouble(*winds, std::to_string(k)), getDouble(*winds, std::to_string(k + 1)));
        data.winds = std::move(cells);
        data.n = n;
        return true;
    } catch (const Exception&) {
        std::printf("Error parsing winds '%s'\n", text.c_str());
    }
    data.n = 0;
    data.winds.clear();
    return false;
}

int drawWindArrows(SDL_Renderer* renderer, const SDL_Rect& tile, const WindTile* wind, const Texture* arrow,
    Overhang selection)
{
    if (!wind || wind->gridSize() <= 0)
        return 0;
    int32_t n = wind->gridSize();
    double cellWidth = double(tile.w) / n;
    double cellHeight = double(tile.h) / n;
    SDL_Texture* image = arrow ? arrow->getTexture() : nullptr;
    int drawn = 0;
    for (int32_t row = 0; row < n; ++row) {
        for (int32_t column = 0; column < n; ++column) {
            const Wind& cell = wind->windAt(column, row);
            if (!isDrawable(cell))
                continue;
            SDL_Point inTile { int(column * cellWidth + cellWidth * 0.5), int(row * cellHeight + cellHeight * 0.5) };
            int beyond = overhang(inTile, arrowReach(cell, arrow), tile);
            if (beyond < selection.least || beyond > selection.most)
                continue;
            ++drawn;
            int centreX = int(column * cellWidth + tile.x + cellWidth * 0.5);
            int centreY = int(row * cellHeight + tile.y + cellHeight * 0.5);
            if (!image) {
                drawWindLine(renderer, centreX, centreY, cell);
                continue;
            }
            int arrowWidth = truncateToInt(arrow->getWidth() * cell.second / 50);
            int arrowHeight = truncateToInt(arrow->getHeight() * cell.second / 50);
            SDL_Rect destination { centreX - arrowWidth / 2, centreY - arrowHeight / 2, arrowWidth, arrowHeight };
            SDL_RenderCopyEx(renderer, image, nullptr, &destination, cell.first, nullptr, SDL_FLIP_NONE);
        }
    }
    return drawn;
}
