#include "support/TestData.h"

#include "base/SdlHandles.h"

#include <SDL_image.h>

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

void savePng(const std::filesystem::path& file, int width, int height, SDL_Color top, SDL_Color bottom)
{
    SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32));
    if (!surface)
        throw std::runtime_error(SDL_GetError());
    SDL_FillRect(surface.get(), nullptr, SDL_MapRGBA(surface->format, top.r, top.g, top.b, top.a));
    SDL_Rect lower { 0, height / 2, width, height - height / 2 };
    SDL_FillRect(surface.get(), &lower, SDL_MapRGBA(surface->format, bottom.r, bottom.g, bottom.b, bottom.a));
    std::filesystem::create_directories(file.parent_path());
    if (IMG_SavePNG(surface.get(), file.c_str()) != 0)
        throw std::runtime_error(SDL_GetError());
}

void TestDataFolder::writeImage(const std::string& name, int width, int height, SDL_Color colour) const
{
    savePng(root / "data" / name, width, height, colour, colour);
}

void TestDataFolder::copyFromSource(const std::string& name) const
{
    std::filesystem::path target = root / "data" / name;
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(std::filesystem::path(TIDEWAKE_SOURCE_DIR) / "data" / name, target, std::filesystem::copy_options::overwrite_existing);
}
