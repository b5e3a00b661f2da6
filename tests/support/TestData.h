#pragma once

#include "support/TempFolder.h"

#include <SDL.h>

#include <filesystem>
#include <string>

// Writes a PNG with its upper half in one colour and its lower half in another, so that
// pixels show which way a drawn image was turned, making the file's folders.
void savePng(const std::filesystem::path& file, int width, int height, SDL_Color top, SDL_Color bottom);

// A temporary working folder with its own data/images/, made current for the lifetime of
// the object, so tests can give widgets images of known colours and sizes.
class TestDataFolder {
public:
    TestDataFolder();
    ~TestDataFolder();
    TestDataFolder(const TestDataFolder&) = delete;
    TestDataFolder& operator=(const TestDataFolder&) = delete;

    // Writes data/<name> as a PNG filled with one colour.
    void writeImage(const std::string& name, int width, int height, SDL_Color colour) const;
    // Copies data/<name> from the source tree, for the game's real font or images.
    void copyFromSource(const std::string& name) const;

    std::filesystem::path root;

private:
    TempFolder folder { "tidewake-data" };
    std::filesystem::path previous;
};
