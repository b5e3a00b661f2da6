#include "support/TestData.h"

#include "base/SdlHandles.h"

#include <SDL_image.h>

#include <cstring>
#include <stdexcept>

TestDataFolder::TestDataFolder()
    : previous(std::filesystem::current_path())
{
    root = folder.path();
    std::filesystem::create_directories(root / "data" / "images");
    std::filesystem::current_path(root);
}

TestDataFolder::~TestDataFolder()
{
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
}

void TestDataFolder::writeImage(const std::string& name, int width, int height, SDL_Color colour) const
{
    SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32));
    if (!surface)
        throw std::runtime_error(SDL_GetError());
    SDL_FillRect(surface.get(), nullptr, SDL_MapRGBA(surface->format, colour.r, colour.g, colour.b, colour.a));
    std::filesystem::path file = root / "data" / name;
    std::filesystem::create_directories(file.parent_path());
    if (IMG_SavePNG(surface.get(), file.c_str()) != 0)
        throw std::runtime_error(SDL_GetError());
}

void TestDataFolder::copyFromSource(const std::string& name) const
{
    std::filesystem::path target = root / "data" / name;
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(std::filesystem::path(TIDEWAKE_SOURCE_DIR) / "data" / name, target,
        std::filesystem::copy_options::overwrite_existing);
}

void BlockFont::drawText(SDL_Renderer* renderer, int x, int y, const char* text, SDL_Color colour)
{
    SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, 255);
    SDL_Rect block { x, y, textWidth(text), charHeight };
    SDL_RenderFillRect(renderer, &block);
}

int BlockFont::textWidth(const char* text)
{
    return text ? int(std::strlen(text)) * charWidth : 0;
}

int BlockFont::textHeight(const char* text)
{
    return text ? charHeight : 0;
}
