#include "gui/TextureSource.h"

namespace {

TextureSource* connectedSource = nullptr;

}

void setTextureSource(TextureSource* source)
{
    connectedSource = source;
}

std::unique_ptr<Texture> loadTexture(const std::string& name)
{
    return connectedSource ? connectedSource->loadTexture(name) : nullptr;
}
