#pragma once

#include "gui/Texture.h"
#include "race/MapWidget.h"

#include <memory>
#include <string>

class Font;
class Map;
struct BoatRecord;

// The marker of one boat: its icon turned to the heading and, from zoom 8 on, the nick and
// place under it. The own boat's marker is green and shows its control panel while it
// has the focus; the others are red.
class BoatWidget : public MapWidget {
public:
    BoatWidget(const BoatRecord* record, Widget* panel, const Map* map);

    void draw(SDL_Renderer* renderer, int x, int y) override;
    void setFocus(bool focus) override;
    void getPosition(double& lat, double& lon) const override;
    bool describe(PictureKey& key) const override;

    // "nick (place)", or the nick alone without a place, cut to fit the label buffer.
    static std::string label(const BoatRecord& record);

    const BoatRecord* record;
    std::unique_ptr<Texture> icon;
    Widget* panel;
    Font* font;
    const Map* map;
};
