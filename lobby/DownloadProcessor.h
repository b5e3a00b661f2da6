#pragma once

#include <SDL.h>

#include <string>

class DownloadBatcher;

// Runs the batch behind the "PLEASE WAIT" dialog; true when it completed, false when it
// was cancelled or ended in an error (which has then been shown in a message box).
bool runBatch(SDL_Window* window, DownloadBatcher* batcher);
// One request behind the wait dialog: the unwrapped answer (beginning with "OK"),
// "canceled" when the player cancelled, empty when an error was shown.
std::string fetch(SDL_Window* window, const std::string& url);
