#pragma once

#include "gui/Texture.h"
#include "gui/Widget.h"

#include <memory>

class Font;
struct BoatRecord;
struct RaceEntry;

// The compass ring of the boat control panel. Dragging in the band of radius 105 to 145
// around the centre turns the heading by the angle the pointer sweeps; the predicted
// speed follows from the polar. While no change is pending it shows the server's values.
class HeadingRing : public Widget {
public:
    HeadingRing(BoatRecord* boat, RaceEntry* race);

    bool onMouseDown(int button, int x, int y) override;
    bool onMouseUp(int button, int x, int y) override;
    bool onMouseMove(int buttons, int x, int y) override;
    void draw(SDL_Renderer* renderer, int x, int y) override;
    void update(double seconds) override;

    // Compass angle of a point in ring coordinates: degrees clockwise from straight up.
    double angleAt(int mx, int my) const;

    BoatRecord* boat;
    std::unique_ptr<Texture> texture;
    Font* font;
    bool dragging = false;
    double startAngle = 0.0;
    double startHeading = 0.0;
    RaceEntry* race;
};
