#pragma once

#include "gui/Screen.h"

#include <memory>

// A screen for the window whose first child is the full-window background picture,
// cropped to the window's aspect. Every screen but the race screen starts from one.
std::unique_ptr<Screen> createBackgroundScreen(SDL_Window* window);
