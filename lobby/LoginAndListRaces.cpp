#include "lobby/LoginAndListRaces.h"

#include "app/Storage.h"
#include "gui/MessageBox.h"
#include "lobby/DownloadProcessor.h"
#include "net/Protocol.h"

LoginAndListRaces::LoginAndListRaces(std::string firstUrl)
    : firstUrl(std::move(firstUrl))
{
}

// The login answer is not read: its "OK" is checked by the batch, and the session
// cookies it sets make the race-list request succeed.
std::string LoginAndListRaces::nextUrl(const std::string& previousAnswer)
{
    switch (step) {
    case 0:
        step = 1;
        return firstUrl;
    case 1:
        step = 2;
        return raceListUrl();
    case 2:
        step = 3;
        races = parseRaceList(answerTable(previousAnswer));
        notFound = races.empty();
        return {};
    default:
        return {};
    }
}

void LoginAndListRaces::onCancel()
{
}

RaceList loginAndListRaces(SDL_Window* window, const std::string& firstUrl)
{
    LoginAndListRaces batch(firstUrl);
    if (runBatch(window, &batch) && batch.notFound)
        showMessageBox(window, "Error: races not found");
    return batch.races;
}
