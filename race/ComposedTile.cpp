#include "race/ComposedTile.h"

#include "gui/Texture.h"
#include "race/WindTile.h"

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

namespace {

constexpr int fullSide = ComposedTile::side + 2 * ComposedTile::margin;

// Draws with the texture's blend mode changed for the call, then puts it back.
template <typename Drawing>
void drawWithBlending(SDL_Texture* texture, SDL_BlendMode mode, Drawing drawing)
{
    SDL_BlendMode kept = SDL_BLENDMODE_BLEND;
    if (!texture || SDL_GetTextureBlendMode(texture, &kept) != 0 || SDL_SetTextureBlendMode(texture, mode) != 0) {
        drawing();
        return;
    }
    drawing();
    SDL_SetTextureBlendMode(texture, kept);
}

// Whether every pixel of the rectangle of the render target has full alpha, so that
// copying it without blending changes nothing but the time taken.
bool isOpaque(SDL_Renderer* renderer, const SDL_Rect& area)
{
    std::vector<Uint32> pixels(size_t(area.w) * size_t(area.h));
    if (SDL_RenderReadPixels(renderer, &area, SDL_PIXELFORMAT_ARGB8888, pixels.data(), area.w * 4) != 0)
        return false;
    return std::all_of(pixels.begin(), pixels.end(), [](Uint32 pixel) { return pixel >> 24 == 0xff; });
}

}

bool ComposedTile::Source::operator==(const Source& other) const
{
    return std::tie(image, arrow, time, gridSize) == std::tie(other.image, other.arrow, other.time, other.gridSize);
}

ComposedTile::Source ComposedTile::sourceOf(SDL_Texture* image, const WindTile* wind, const Texture* arrow)
{
    return Source { image, arrow ? arrow->getTexture() : nullptr, wind ? wind->getTime() : 0, wind ? wind->gridSize() : 0 };
}

void ComposedTile::release()
{
    picture.reset();
}

bool ComposedTile::coversOpaque(SDL_Texture* image, const WindTile* wind, const Texture* arrow) const
{
    return picture && source == sourceOf(image, wind, arrow) && imageBlending == SDL_BLENDMODE_NONE;
}

bool ComposedTile::draw(SDL_Renderer* renderer, int x, int y, SDL_Texture* image, const WindTile* wind, const Texture* arrow)
{
    Source wanted = sourceOf(image, wind, arrow);
    if (!picture || !(source == wanted)) {
        if (!compose(renderer, image, wind, arrow))
            return false;
        source = wanted;
    }
    SDL_Rect tile { margin, margin, side, side };
    SDL_Rect destination { x, y, side, side };
    drawWithBlending(picture.get(), imageBlending, [&] { SDL_RenderCopy(renderer, picture.get(), &tile, &destination); });
    if (marginUsed)
        copyMargin(renderer, x, y);
    drawWindArrows(renderer, destination, wind, arrow, Overhang { margin + 1 });
    return true;
}

// The four bands around the tile, blended.
void ComposedTile::copyMargin(SDL_Renderer* renderer, int x, int y) const
{
    const SDL_Rect bands[] = { { 0, 0, fullSide, margin }, { 0, margin + side, fullSide, margin }, { 0, margin, margin, side },
        { margin + side, margin, margin, side } };
    for (const SDL_Rect& band : bands) {
        SDL_Rect destination { x - margin + band.x, y - margin + band.y, band.w, band.h };
        SDL_RenderCopy(renderer, picture.get(), &band, &destination);
    }
}

// The margin's arrows are drawn first without blending, so that their pixels keep the
// alpha they blend with on screen; the image then covers the tile's part, and every arrow
// that touches the tile is blended over it, clipped to it. The renderer's target, draw
// colour, draw blend mode and clip rectangle are put back.
bool ComposedTile::compose(SDL_Renderer* renderer, SDL_Texture* image, const WindTile* wind, const Texture* arrow)
{
    if (!picture) {
        picture.reset(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, fullSide, fullSide));
        if (!picture || SDL_SetTextureBlendMode(picture.get(), SDL_BLENDMODE_BLEND) != 0) {
            std::printf("Can't compose a map tile: %s\n", SDL_GetError());
            picture.reset();
            return false;
        }
    }
    SDL_Texture* previous = SDL_GetRenderTarget(renderer);
    if (SDL_SetRenderTarget(renderer, picture.get()) != 0) {
        picture.reset();
        return false;
    }
    SDL_Color colour {};
    SDL_GetRenderDrawColor(renderer, &colour.r, &colour.g, &colour.b, &colour.a);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 0);
    SDL_RenderClear(renderer);
    SDL_Rect tile { margin, margin, side, side };
    SDL_Texture* arrowImage = arrow ? arrow->getTexture() : nullptr;
    SDL_BlendMode lineBlending = SDL_BLENDMODE_BLEND;
    SDL_GetRenderDrawBlendMode(renderer, &lineBlending);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
    drawWithBlending(arrowImage, SDL_BLENDMODE_NONE,
        [&] { marginUsed = drawWindArrows(renderer, tile, wind, arrow, Overhang { 1, margin }) > 0; });
    SDL_SetRenderDrawBlendMode(renderer, lineBlending);
    imageBlending = SDL_BLENDMODE_NONE;
    SDL_GetTextureBlendMode(image, &imageBlending);
    drawWithBlending(image, SDL_BLENDMODE_NONE, [&] { SDL_RenderCopy(renderer, image, nullptr, &tile); });
    SDL_RenderSetClipRect(renderer, &tile);
    drawWindArrows(renderer, tile, wind, arrow, Overhang { 0, margin });
    SDL_RenderSetClipRect(renderer, nullptr);
    if (isOpaque(renderer, tile))
        imageBlending = SDL_BLENDMODE_NONE;
    SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, colour.a);
    return SDL_SetRenderTarget(renderer, previous) == 0;
}
