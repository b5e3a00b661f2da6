#include "gui/Label.h"

#include "base/Text.h"

Label::Label(int x, int y, int width, int height, const char* text, Font* font)
    : Widget(x, y, width, height)
    , font(font)
    , text(text ? text : "")
{
    layoutLines();
}

// Breaks at the last space before the text overflows the width; a word with no space
// since the line began is cut one character before the overflow. A first character
// wider than the label stops the layout, and the whole text is then drawn on one line.
void Label::layoutLines()
{
    lines.clear();
    if (!font)
        return;
    if (font->textWidth(text.c_str()) < width) {
        lines.push_back(text);
        return;
    }
    size_t start = 0;
    size_t lineBreak = 0;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] == ' ')
            lineBreak = i;
        if (font->textWidth(text.substr(start, i - start).c_str()) <= width)
            continue;
        if (lineBreak == start)
            lineBreak = i - 1;
        if (lineBreak <= start)
            return;
        std::string line = trim(text.substr(start, lineBreak - start));
        if (!line.empty())
            lines.push_back(line);
        start = lineBreak;
    }
    if (start + 1 < text.size()) {
        std::string rest = trim(text.substr(start));
        if (!rest.empty())
            lines.push_back(rest);
    }
}

void Label::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    if (!font)
        return;
    if (lines.empty()) {
        font->drawText(renderer, drawX, drawY, text.c_str(), colour);
        return;
    }
    int lineHeight = font->textHeight(text.c_str());
    for (size_t i = 0; i < lines.size(); ++i)
        font->drawText(renderer, drawX, drawY + int(i) * lineHeight, lines[i].c_str(), colour);
}
