#pragma once

#include "gui/Texture.h"
#include "race/MapFeature.h"
#include "race/RaceScreen.h"

#include <memory>
#include <optional>
#include <string>

class Font;
class WindTape;
struct BoatRecord;
class RoutePlanner;

// A translucent copy of the own boat's marker where the boat will be at the wind tape's
// time, with the offset in hours under it. It follows the knob while it is dragged and
// shows only while the tape's time lies 15 minutes or more from now.
class AheadMarker : public MapFeature {
public:
    AheadMarker(const BoatRecord* boat, const WindTape* tape, Clock clock = systemClock);

    void draw(const Map& map, SDL_Renderer* renderer, int32_t viewX, int32_t viewY, int32_t tilesPerSide,
        double scale) override;
    bool describe(const Map& map, PictureKey& key) const override;

    // "+18h" for an offset of 17.5 hours or a little more; "-1h" an hour back.
    static std::string label(int32_t offsetSeconds);

    // The routing whose route, while one is drawn, the boat follows instead of its course.
    const RoutePlanner* planner = nullptr;
    // The label's font, the small one unless replaced.
    Font* font;

private:
    // Where the copy is drawn, turned how and labelled what.
    struct Placement {
        SDL_Point centre;
        double heading;
        std::string text;
    };

    // Nothing when the copy is not shown.
    std::optional<Placement> place(const Map& map) const;

    const BoatRecord* boat;
    const WindTape* tape;
    Clock clock;
    std::unique_ptr<Texture> icon;
};
