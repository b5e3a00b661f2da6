#pragma once

#include "lobby/RaceRecord.h"
#include "net/DownloadBatcher.h"

#include <SDL.h>

#include <string>

// Logs in (or registers) with the first URL, then fetches the race list. The login has
// succeeded when at least one race came back.
class LoginAndListRaces : public DownloadBatcher {
public:
    explicit LoginAndListRaces(std::string firstUrl);

    std::string nextUrl(const std::string& previousAnswer) override;
    void onCancel() override;

    std::string firstUrl;
    RaceList races;
    int step = 0;
    bool notFound = false;
};

// Runs the batch behind the wait dialog; "Error: races not found" when it completed
// with an empty list.
RaceList loginAndListRaces(SDL_Window* window, const std::string& firstUrl);
