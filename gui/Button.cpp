#include "gui/Button.h"

#include "base/Text.h"
#include "gui/Command.h"
#include "gui/Font.h"
#include "gui/TextureSource.h"

Button::Button(int x, int y, int width, int height, const char* label, Command* command, bool framed)
    : Widget(x, y, width, height)
    , skin("images/btn")
    , font(getFont(LargeFont))
    , command(command)
    , framed(framed)
{
    if (!label)
        return;
    if (endsWith(label, ".png"))
        icon = loadTexture(label);
    else
        text = label;
}

Button::Button(int x, int y, int width, int height, const char* label, std::unique_ptr<Command> owned, bool framed)
    : Button(x, y, width, height, label, owned.get(), framed)
{
    ownedCommand = std::move(owned);
}

Button::~Button() = default;

bool Button::onMouseDown(int, int, int)
{
    return true;
}

bool Button::onMouseUp(int, int, int)
{
    if (command)
        command->execute();
    return true;
}

void Button::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    if (framed)
        skin.drawSkin(renderer, drawX, drawY, width, height);
    if (font && !text.empty()) {
        int textWidth = font->textWidth(text.c_str());
        int textHeight = font->textHeight(text.c_str());
        font->drawText(renderer, drawX + (width - textWidth) / 2, drawY + (height - textHeight) / 2 - 2, text.c_str(),
            SDL_Color { 255, 255, 255, 0 });
    }
    if (icon && icon->getTexture()) {
        SDL_Rect destination { drawX, drawY, width, height };
        SDL_RenderCopy(renderer, icon->getTexture(), nullptr, &destination);
    }
}
