#pragma once

#include "gui/Widget.h"

class PictureKey;

// A widget placed on the chart at a latitude and longitude. The map keeps its x and y at
// the world pixel of that position (the centre of the widget), draws it centred there and
// gives it the focus when clicked.
class MapWidget : public Widget {
public:
    using Widget::Widget;
    virtual void getPosition(double& lat, double& lon) const = 0;
    // Adds to the key what the widget's picture depends on besides where the map draws it,
    // as MapFeature::describe does; false when it cannot tell.
    virtual bool describe(PictureKey&) const { return false; }
};
