#include "app/AudioDriver.h"
#include "app/Player.h"
#include "base/SdlHandles.h"
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
#include <future>

namespace {

int failWithSdlError()
{
    std::printf("%s\n", SDL_GetError());
    return 1;
}

void setWindowIcon(SDL_Window* window)
{
    SdlSurface icon(IMG_Load("data/images/sail_boat.png"));
    if (icon)
        SDL_SetWindowIcon(window, icon.get());
}

// The login screen's background, the largest image of the first picture.
constexpr const char* backgroundImage = "images/background.jpg";

// Decodes the background and converts it to the 32-bit format that renderers take as it
// is, so that making its texture is a copy; the conversion costs more than the decoding.
SdlSurface decodeBackground()
{
    SdlSurface decoded(IMG_Load((std::string("data/") + backgroundImage).c_str()));
    if (!decoded)
        return decoded;
    SdlSurface converted(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    return converted ? std::move(converted) : std::move(decoded);
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
    // The background is decoded while SDL opens the window. Until it is, no other image is
    // loaded, so that SDL_image is used by one thread at a time.
    std::future<SdlSurface> background = std::async(std::launch::async, decodeBackground);
    chooseAudioDriver();
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return failWithSdlError();
    // When SDL falls back to its software renderer, frames go to the window as they are
    // (shared memory on X11) instead of through a second, OpenGL renderer, which costs
    // a few hundred milliseconds to start and a texture upload per frame. The environment
    // variable of the same hint still decides when set.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Full screen on the desktop: every screen reads the window's real size itself.
    SdlWindow window(SDL_CreateWindow("Tidewake", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1024, 768,
        SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE));
    if (!window)
        return failWithSdlError();
    SdlRenderer renderer(SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC));
    if (!renderer)
        return failWithSdlError();
    SdlSurface backgroundPicture = background.get();
    setWindowIcon(window.get());
    // The draw blend mode only affects lines and rectangles drawn with alpha, which are
    // drawn opaque without it, so a failure is reported and the program goes on.
    if (SDL_SetRenderDrawBlendMode(renderer.get(), SDL_BLENDMODE_BLEND) != 0)
        std::printf("Can't set the blend mode: %s\n", SDL_GetError());
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "best");

    startServices(renderer.get());
    textureRegistry.adoptLocal(backgroundImage, std::move(backgroundPicture));
    RaceList races;
    RaceRecord race;
    runScreens(window.get(), races, race);
    stopServices();

    renderer.reset();
    window.reset();
    SDL_Quit();
    return 0;
}
