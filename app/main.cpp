#include "app/AudioDriver.h"
#include "app/Player.h"
#include "gui/FontManager.h"
#include "gui/Screen.h"
#include "lobby/LoginScreen.h"
#include "lobby/RaceSelector.h"
#include "net/Downloader.h"
#include "net/TextureRegistry.h"
#include "race/RaceScreen.h"
#include "race/WindTile.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>

namespace {

int failWithSdlError()
{
    std::printf("%s\n", SDL_GetError());
    return 1;
}

void setWindowIcon(SDL_Window* window)
{
    SDL_Surface* icon = IMG_Load("data/images/sail_boat.png");
    if (!icon)
        return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

void startServices(SDL_Renderer* renderer)
{
    downloader.startThread();
    initTextures(renderer);
    resetWindRegistry();
    addFrameService(takeFinishedTextures);
    addFrameService(pollWindDownloads);
    player = std::make_unique<Player>();
    player->startThread();
    createFontManager();
    queueShuffledMusic();
    if (player)
        player->playSample("sound/waves.ogg", -1, 0.3f);
}

// Login, then the race selector, until the player chooses a race; then the race screen.
void runScreens(SDL_Window* window, RaceList& races, RaceRecord& race)
{
    do
        races = runLoginScreen(window);
    while (!runRaceSelector(window, races, race));
    runRaceScreen(window, race);
}

void stopServices()
{
    deleteFontManager();
    downloader.stop();
    downloader.waitThread();
    clearTextures();
    resetWindRegistry();
    if (player) {
        player->stopPlayer();
        player->waitThread();
        player.reset();
    }
}

}

int main(int, char**)
{
    chooseAudioDriver();
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return failWithSdlError();
    // Full screen on the desktop: every screen reads the window's real size itself.
    SDL_Window* window = SDL_CreateWindow("Tidewake", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1024, 768,
        SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (!window)
        return failWithSdlError();
    setWindowIcon(window);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer)
        return failWithSdlError();
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "best");

    startServices(renderer);
    RaceList races;
    RaceRecord race;
    runScreens(window, races, race);
    stopServices();

    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
