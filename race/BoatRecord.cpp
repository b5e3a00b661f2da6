#include "race/BoatRecord.h"

const SDL_Color textColour = {0, 0, 0, 0};
