#pragma once

#include "gui/Widget.h"

#include <string>

class Font;
struct BoatRecord;
struct RaceEntry;

// The lines under the heading ring, each in its own row and only while there is something
// to say: what became of the last heading command, the faster sail, the no-go zone.
// Updating it collects the command's answer, shown or not.
class ControlNotes : public Widget {
public:
    ControlNotes(int x, int y, int width, const BoatRecord* boat, RaceEntry* race);

    void draw(SDL_Renderer* renderer, int x, int y) override;
    void update(double seconds) override;
    // The command's line moves on with its answer and its expiry, without any event.
    bool isAnimating() const override;

    const BoatRecord* boat;
    RaceEntry* race;
    Font* font;

private:
    std::string drawnCommand;
};
