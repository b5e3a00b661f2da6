#pragma once

#include "gui/Widget.h"

#include <string>
#include <vector>

class Font;
struct BoatRecord;

// The own boat's nick, place, wind, heading, speed and sail in the race screen's top-left
// corner, read from the boat record every frame.
class BoatInfo : public Widget {
public:
    explicit BoatInfo(const BoatRecord* boat);

    void draw(SDL_Renderer* renderer, int x, int y) override;

    // The seven lines shown, each cut to fit its 200-byte buffer.
    static std::vector<std::string> lines(const BoatRecord& boat);

    const BoatRecord* boat;
    Font* font;
};
