#pragma once

#include "gui/ToggleButton.h"

struct BoatRecord;

// The selection of the two sail buttons (1 jib, 2 spinnaker): choosing a sail makes a
// pending change and predicts the speed from that sail's polar.
class SailSelectorModel : public ToggleButtonModel {
public:
    explicit SailSelectorModel(BoatRecord* boat);

    bool isSelected(int value) override;
    void select(int value) override;

    BoatRecord* boat;
};
