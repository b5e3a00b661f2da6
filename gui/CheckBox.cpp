#include "gui/CheckBox.h"

#include "gui/TextureSource.h"

CheckBox::CheckBox(int x, int y, int width, int height, bool isOn)
    : Widget(x, y, width, height)
    , isOn(isOn)
    , onTexture(loadTexture("images/checkbox-on.png"))
    , offTexture(loadTexture("images/checkbox-off.png"))
{
}

bool CheckBox::onMouseDown(int, int, int)
{
    isOn = !isOn;
    return true;
}

void CheckBox::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    const std::unique_ptr<Texture>& picture = isOn ? onTexture : offTexture;
    if (!picture || !picture->getTexture())
        return;
    SDL_Rect destination { drawX, drawY, width, height };
    SDL_RenderCopy(renderer, picture->getTexture(), nullptr, &destination);
}
