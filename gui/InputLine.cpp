#include "gui/InputLine.h"

#include "gui/Container.h"
#include "gui/OnScreenKeyboard.h"
#include "gui/TextureSource.h"
#include "gui/Utf.h"

#include <algorithm>
#include <vector>

namespace {

// SDL_StopTextInput drops the text events already queued. Keys typed right after a Tab
// must still reach the next field, so everything queued is taken out first and put back
// in the same order afterwards.
void stopTextInputKeepingQueuedEvents()
{
    std::vector<SDL_Event> queued;
    SDL_PumpEvents();
    SDL_Event batch[64];
    int count;
    while ((count = SDL_PeepEvents(batch, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0)
        queued.insert(queued.end(), batch, batch + count);
    SDL_StopTextInput();
    SDL_PeepEvents(queued.data(), int(queued.size()), SDL_ADDEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
}

}

InputLine::InputLine(int x, int y, int width, int height, const char* initialText, Font* font)
    : Widget(x, y, width, height)
    , text(toUtf16(initialText ? initialText : ""))
    , font(font)
    , cursor(int(text.size()))
    , skin("images/input")
    , keyboardIcon(loadTexture("images/keyboard.png"))
    , rightReserve(50 + (keyboardIcon ? keyboardIcon->getWidth() + 10 : 0))
{
}

std::string InputLine::getText() const
{
    return toUtf8(text);
}

std::string InputLine::displayText(size_t units) const
{
    units = std::min(units, text.size());
    if (password)
        return std::string(units, '*');
    return toUtf8(text.substr(0, units));
}

std::string InputLine::displayText() const
{
    return displayText(text.size());
}

int InputLine::widthOf(size_t units) const
{
    return units == 0 ? 0 : font->textWidth(displayText(units).c_str());
}

int InputLine::caretOffset() const
{
    if (cursor == 0 || !font)
        return 0;
    return widthOf(size_t(cursor));
}

int InputLine::positionAt(int px) const
{
    if (!font)
        return 0;
    int p = px - textInset;
    int previous = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        int w = widthOf(i);
        if (w > p) {
            if (i == 0)
                return 0;
            return p - previous < w - p ? int(i) - 1 : int(i);
        }
        previous = w;
    }
    return int(text.size());
}

bool InputLine::onTextInput(const char* utf8)
{
    if (!utf8 || !font)
        return true;
    std::u16string typed = toUtf16(utf8);
    if (typed.empty())
        return true;
    std::u16string before = text;
    text.insert(size_t(cursor), typed);
    if (font->textWidth(displayText().c_str()) > width - rightReserve - textInset)
        text = before;
    else
        cursor += int(typed.size());
    return true;
}

bool InputLine::onKeyDown(SDL_Keycode keyCode)
{
    int length = int(text.size());
    switch (keyCode) {
    case SDLK_BACKSPACE:
        if (cursor > 0) {
            text.erase(size_t(cursor) - 1, 1);
            --cursor;
        }
        break;
    case SDLK_DELETE:
        if (cursor < length)
            text.erase(size_t(cursor), 1);
        break;
    case SDLK_HOME:
        cursor = 0;
        break;
    case SDLK_END:
        cursor = length;
        break;
    case SDLK_RIGHT:
        ++cursor;
        break;
    case SDLK_LEFT:
        --cursor;
        break;
    default:
        return false;
    }
    // Holds the caret within the text at either end.
    cursor = std::clamp(cursor, 0, int(text.size()));
    return true;
}

bool InputLine::onMouseMove(int buttons, int px, int)
{
    if (!(buttons & 1))
        return false;
    cursor = std::clamp(positionAt(px), 0, int(text.size()));
    return true;
}

SDL_Rect InputLine::keyboardIconRect() const
{
    int iconWidth = keyboardIcon->getWidth();
    int iconHeight = keyboardIcon->getHeight();
    return SDL_Rect { width - textInset - iconWidth, (height - iconHeight) / 2 + 1, iconWidth, iconHeight };
}

// The left (1) and right (3) buttons place the caret: their numbers have bit 0 set, as
// the left button's bit in a motion event's mask.
bool InputLine::onMouseDown(int button, int px, int py)
{
    if (keyboardIcon) {
        SDL_Rect icon = keyboardIconRect();
        SDL_Point point { px, py };
        if (SDL_PointInRect(&point, &icon)) {
            showOnScreenKeyboard();
            return true;
        }
    }
    onMouseMove(button, px, py);
    return true;
}

void InputLine::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    skin.drawSkin(renderer, drawX, drawY, width, height);
    if (font && !text.empty()) {
        std::string shown = displayText();
        int textHeight = font->textHeight(shown.c_str());
        font->drawText(renderer, drawX + textInset, drawY + (height - textHeight) / 2, shown.c_str(),
            SDL_Color { 0, 0, 0, 0 });
    }
    if (focused) {
        int caret = drawX + textInset + caretOffset();
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        for (int line = caret - 1; line <= caret + 1; ++line)
            SDL_RenderDrawLine(renderer, line, drawY + 40, line, drawY + 63);
    }
    if (keyboardIcon && keyboardIcon->getTexture()) {
        SDL_Rect icon = keyboardIconRect();
        icon.x += drawX;
        icon.y += drawY;
        SDL_RenderCopy(renderer, keyboardIcon->getTexture(), nullptr, &icon);
    }
}

void InputLine::setFocus(bool focus)
{
    if (focus == focused)
        return;
    Widget::setFocus(focus);
    if (focus) {
        SDL_Rect area { x, y, width, height };
        if (parent)
            parent->localToScreen(x, y, area.x, area.y);
        SDL_SetTextInputRect(&area);
        SDL_StartTextInput();
    } else {
        SDL_SetTextInputRect(nullptr);
        stopTextInputKeepingQueuedEvents();
    }
}

bool InputLine::canFocus() const
{
    return true;
}
