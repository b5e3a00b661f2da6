#include "gui/Image.h"

#include "gui/TextureSource.h"

Image::Image(int x, int y, int width, int height, const char* name)
    : Widget(x, y, width, height)
    , texture(name ? loadTexture(name) : nullptr)
{
}

SDL_Rect Image::sourceRect(int tw, int th, int w, int h, bool crop)
{
    SDL_Rect source { 0, 0, tw, th };
    if (!crop)
        return source;
    double r = double(w) / h;
    double t = double(tw) / th;
    if (t > r) {
        source.w = int(th * r);
        source.x = (tw - source.w) / 2;
    } else if (t < r) {
        source.h = int(tw / r);
        source.y = (th - source.h) / 2;
    }
    return source;
}

void Image::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    if (!texture || !texture->getTexture())
        return;
    SDL_Rect source = sourceRect(texture->getWidth(), texture->getHeight(), width, height, crop);
    SDL_Rect destination { drawX, drawY, width, height };
    SDL_RenderCopy(renderer, texture->getTexture(), &source, &destination);
}
