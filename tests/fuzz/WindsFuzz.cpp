#include "AnswerText.h"
#include "base/SdlHandles.h"
#include "race/WindTile.h"

namespace {

SDL_Renderer* canvas()
{
    static SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, 256, 256, 32, SDL_PIXELFORMAT_ARGB8888));
    static SdlRenderer renderer(surface ? SDL_CreateSoftwareRenderer(surface.get()) : nullptr);
    if (!renderer)
        __builtin_trap();
    return renderer.get();
}

} // namespace

// A wind grid answer (it has no envelope), drawn over a map tile as the chart draws it
// when the arrow image is missing. A grid is either whole or empty.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WindData grid;
    bool usable = parseWinds(answerText(data, size), grid);
    if (usable != (grid.n > 0) || grid.winds.size() != size_t(grid.n) * size_t(grid.n))
        __builtin_trap();
    WindTileImp tile(&grid);
    drawWindArrows(canvas(), SDL_Rect { 0, 0, 256, 256 }, &tile, nullptr);
    return 0;
}
