#include "boat/SailSelectorModel.h"

#include "boat/BoatRecord.h"

SailSelectorModel::SailSelectorModel(BoatRecord* boat)
    : boat(boat)
{
}

bool SailSelectorModel::isSelected(int value)
{
    return boat->sail == value;
}

void SailSelectorModel::select(int value)
{
    boat->sail = value;
    boat->pending = true;
    boat->speed = predictedSpeed(*boat);
}
