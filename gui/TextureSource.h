#pragma once

#include "gui/Texture.h"

#include <memory>
#include <string>

// Where widgets get their images. The toolkit knows nothing of files or downloads: the
// program connects its texture registry at start-up, and a test may connect its own.
class TextureSource {
public:
    virtual ~TextureSource() = default;
    // A new handle owned by the caller, or null when the image cannot be had.
    virtual std::unique_ptr<Texture> loadTexture(const std::string& name) = 0;
};

// Makes source the one widgets load from; it must outlive every later loadTexture call.
void setTextureSource(TextureSource* source);
// The image of that name from the connected source; null when none is connected.
std::unique_ptr<Texture> loadTexture(const std::string& name);
