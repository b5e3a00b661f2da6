#pragma once

#include "gui/Widget.h"

#include <cstdint>

class Font;
class Map;

// The strip along the bottom of the race screen on which the player drags a knob to pick
// the forecast time of the wind on the map: 72 hours from the current whole hour, with
// hour and quarter-hour ticks and a label every 4 hours. The map changes on release.
class WindTape : public Widget {
public:
    WindTape(int y, int width, Map* map);

    bool onMouseDown(int button, int x, int y) override;
    bool onMouseUp(int button, int x, int y) override;
    bool onMouseMove(int buttons, int x, int y) override;
    void draw(SDL_Renderer* renderer, int x, int y) override;

    // Offsets from the tape's left edge of an hour's tick and of the knob's left side.
    int hourOffset(int hour) const;
    int knobOffset() const;

    int32_t selected;
    int32_t start;
    int32_t end;
    Font* font;
    int32_t grabOffset = 0;
    bool dragging = false;
    Map* map;

private:
    int hours() const;
};
