#pragma once

#include "base/SdlHandles.h"

#include <SDL.h>

#include <cstdint>

class Texture;
class WindTile;

// A map tile's image with its wind arrows drawn over it, kept in a target texture so that
// a frame copies the tile once instead of drawing dozens of rotated arrows. It is made
// again when the image, the arrow image or the wind grid changes (another forecast time,
// or the grid's data arriving), and it belongs to the tile's cache entry, so it goes with
// the tile.
//
// Arrows near the border reach onto the neighbouring tiles, which are drawn before or
// after this one. The texture has a margin around the tile for them: the tile's part is
// copied as the image was, and the margin, which holds those arrows' outer parts
// unblended, is blended over the neighbours at the tile's turn, as the direct drawing
// does. Only where two such arrows overlap in the margin does the picture differ (the
// later one covers the earlier). An arrow reaching beyond the margin (a wind far beyond
// any forecast's) is drawn directly after the copy.
class ComposedTile {
public:
    // Draws the tile unscaled with its top-left corner at (x, y). False, with nothing drawn,
    // when no target texture can be made; the caller then draws the tile directly.
    bool draw(SDL_Renderer* renderer, int x, int y, SDL_Texture* image, const WindTile* wind, const Texture* arrow);
    // Frees the texture; the next draw composes the tile again.
    void release();
    // Whether draw would cover the whole tile with opaque pixels from the texture as it is.
    bool coversOpaque(SDL_Texture* image, const WindTile* wind, const Texture* arrow) const;

    static constexpr int side = 256;
    static constexpr int margin = 24;

private:
    // What the texture was made from; the grid size tells whether its data had arrived.
    struct Source {
        SDL_Texture* image = nullptr;
        SDL_Texture* arrow = nullptr;
        int32_t time = 0;
        int32_t gridSize = 0;
        bool operator==(const Source& other) const;
    };

    static Source sourceOf(SDL_Texture* image, const WindTile* wind, const Texture* arrow);
    bool compose(SDL_Renderer* renderer, SDL_Texture* image, const WindTile* wind, const Texture* arrow);

    void copyMargin(SDL_Renderer* renderer, int x, int y) const;

    SdlTexture picture;
    Source source;
    SDL_BlendMode imageBlending = SDL_BLENDMODE_NONE;
    bool marginUsed = false;
};
