#pragma once

#include "gui/Widget.h"

#include <cstdint>
#include <string>

class Font;
class Map;
class PositionDownloader;

// The information panel's last line: how long ago the own boat's position last came from
// the server, in red once two periodic answers in a row have not come.
class PositionAge : public Widget {
public:
    PositionAge(int x, int y, const PositionDownloader* position, const Map* map);

    void draw(SDL_Renderer* renderer, int x, int y) override;
    // The line changes every second without any event, so it asks for the frame itself.
    bool isAnimating() const override;

    // "Updated 12 s ago" for an age of 12.9 seconds.
    static std::string text(double age);
    // Whether an answer of that age is late by two periods at the zoom level.
    static bool isLate(double age, int32_t zoom);

    const PositionDownloader* position;
    const Map* map;
    Font* font;

private:
    std::string line(bool& late) const;

    std::string drawnLine;
    bool drawnLate = false;
};
