#include "race/WindTile.h"

#include "app/Storage.h"
#include "gui/Texture.h"
#include "net/Downloader.h"
#include "net/Protocol.h"
#include "table/Exception.h"
#include "table/Table.h"
#include "table/Value.h"

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

// The record a finished download belongs to. The registry may have been emptied while the
// transfer ran, so the handed-back pointer is only trusted when it still names a record
// waiting for exactly this download.
WindData* recordWaitingFor(const Answer& answer)
{
    for (auto& [name, data] : windRegistry.records) {
        if (&data == answer.user && data.request == answer.id)
            return &data;
    }
    return nullptr;
}

void takeIn(const Answer& answer, WindData& data)
{
    if (answer.status == 0 && answer.bytes && answer.length > 0) {
        if (!parseWinds(answer.bytes.get(), data))
            std::printf("Error downloading '%s'\n", data.name.c_str());
    } else {
        std::printf("Error downloading wind '%s'\n", data.name.c_str());
    }
    data.request = 0;
}

}

WindTileImp::WindTileImp(WindData* data)
    : data(data)
{
    ++data->users;
}

WindTileImp::~WindTileImp()
{
    if (--data->users == 0)
        data->releasedAt = SDL_GetTicks();
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
    return data->request != 0;
}

const char* WindTileImp::getName() const
{
    return data->name.c_str();
}

int32_t WindTileImp::getTime() const
{
    return data->time;
}

void resetWindRegistry()
{
    windRegistry.records.clear();
    windRegistry.countdown = 500;
}

// A grid whose earlier download failed is not asked for again while it is registered.
std::unique_ptr<WindTile> getWindTile(int32_t z, int32_t x, int32_t y, int32_t time)
{
    std::string url = windUrl(z, x, y, time);
    auto found = windRegistry.records.find(url);
    if (found != windRegistry.records.end())
        return std::make_unique<WindTileImp>(&found->second);
    WindData& data = windRegistry.records[url];
    data.name = url;
    data.z = z;
    data.x = x;
    data.y = y;
    data.time = time;
    int id = downloader.download(url, WindRequest, &data);
    data.request = id > 0 ? id : 0;
    return std::make_unique<WindTileImp>(&data);
}

void pollWindDownloads()
{
    Answer answer;
    if (downloader.pollByKind(WindRequest, answer)) {
        if (WindData* data = recordWaitingFor(answer))
            takeIn(answer, *data);
    }
    trimWindRegistry();
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

void trimWindRegistry()
{
    if (--windRegistry.countdown != 0)
        return;
    windRegistry.countdown = 500;
    if (windRegistry.records.size() < 100)
        return;
    int unused = 0;
    auto oldest = windRegistry.records.end();
    for (auto it = windRegistry.records.begin(); it != windRegistry.records.end(); ++it) {
        const WindData& data = it->second;
        if (data.users >= 1)
            continue;
        ++unused;
        if (oldest == windRegistry.records.end() || data.releasedAt < oldest->second.releasedAt)
            oldest = it;
    }
    if (unused > 100)
        windRegistry.records.erase(oldest);
}

void drawWindArrows(SDL_Renderer* renderer, const SDL_Rect& tile, const WindTile* wind, const Texture* arrow)
{
    if (!wind || wind->gridSize() <= 0)
        return;
    int32_t n = wind->gridSize();
    double cellWidth = double(tile.w) / n;
    double cellHeight = double(tile.h) / n;
    SDL_Texture* image = arrow ? arrow->getTexture() : nullptr;
    for (int32_t row = 0; row < n; ++row) {
        for (int32_t column = 0; column < n; ++column) {
            const Wind& cell = wind->windAt(column, row);
            if (!isDrawable(cell))
                continue;
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
}
