#pragma once

#include "boat/SailSelectorModel.h"
#include "gui/Container.h"
#include "gui/Texture.h"

#include <memory>

class Button;
class ChartProjection;
struct BoatRecord;
struct RaceEntry;

// The panel that steers the own boat, centred on it over the map: the compass ring, the
// jib and spinnaker buttons, apply and cancel while a change is pending, the notes on the
// last command and the sails under the ring, and under them all the course projected 12
// and 24 hours ahead.
class BoatControl : public Container {
public:
    BoatControl(const ChartProjection* map, BoatRecord* boat, RaceEntry* race);

    void draw(SDL_Renderer* renderer, int x, int y) override;
    void update(double seconds) override;

    BoatRecord* boat;
    const ChartProjection* map;
    std::unique_ptr<Texture> hours12Image;
    std::unique_ptr<Texture> hours24Image;
    SailSelectorModel sailModel;
    RaceEntry* race;
    Button* applyButton;
    Button* cancelButton;

private:
    void drawCourseProjection(SDL_Renderer* renderer);
};
