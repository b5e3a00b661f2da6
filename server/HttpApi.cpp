#include "server/HttpApi.h"

#include "server/GameServer.h"
#include "server/GeoMath.h"
#include "server/LandMaskAnswer.h"
#include "server/QueryValues.h"
#include "server/RaceImages.h"
#include "server/TableWriter.h"
#include "server/TileService.h"

#include <algorithm>
#include <cmath>

namespace server {

namespace {

const char* const pleaseLogIn = "Please log in first.";
const char* const badRequest = "Invalid request.";
const char* const textType = "text/plain; charset=utf-8";
// Query strings of the race interface are short; a longer request target is refused.
const size_t maxTargetLength = 8192;

void reply(HttpResponse& response, const std::string& text)
{
    response.setContent(envelope(text), textType);
}

void reply(HttpResponse& response, const Answer& answer)
{
    if (!answer.ok)
        reply(response, answer.text);
    else
        reply(response, answer.text.empty() ? std::string("OK") : "OK " + answer.text);
}

std::optional<int> action(const HttpRequest& request)
{
    return parseInteger(request.param("action"), 0, 100);
}

void setSessionCookies(HttpResponse& response, const Session& session)
{
    response.addHeader("Set-Cookie", "id=" + std::to_string(session.user) + "; Path=/");
    response.addHeader("Set-Cookie", "JSESSIONID=" + session.token + "; Path=/");
}

}

std::string envelope(const std::string& text)
{
    return "<result>" + text + "</result>";
}

HttpApi::HttpApi(GameServer& game, TileService& tiles, RaceImages& images)
    : game(game)
    , tiles(tiles)
    , images(images)
{
}

HttpResponse HttpApi::answer(const HttpRequest& request)
{
    HttpResponse response;
    try {
        route(request, response);
    } catch (...) {
        response = HttpResponse();
        response.status = 500;
        response.setContent(envelope("The server could not answer this request."), textType);
    }
    return response;
}

bool HttpApi::slow(const HttpRequest& request)
{
    if (request.path == "/races") {
        std::optional<int> which = action(request);
        return which == 2 || which == 6;
    }
    return request.path == "/users" || request.path.compare(0, 7, "/tiles/") == 0 || request.path.compare(0, 8, "/images/") == 0;
}

void HttpApi::route(const HttpRequest& request, HttpResponse& response)
{
    static const std::regex tileAddress(R"(/tiles/(\d{1,2})/(\d{1,6})/(\d{1,6})\.png)");
    static const std::regex imageAddress(R"(/images/race-(\d{1,9})\.png)");
    std::smatch address;
    if (request.targetLength > maxTargetLength) {
        response.status = 414;
    } else if (request.method != "GET" && request.method != "HEAD") {
        response.status = 404;
    } else if (request.path == "/users") {
        return users(request, response);
    } else if (request.path == "/races") {
        return races(request, response);
    } else if (request.path == "/boats") {
        return boats(request, response);
    } else if (request.path == "/wind") {
        return wind(request, response);
    } else if (std::regex_match(request.path, address, tileAddress)) {
        return tile(address, response);
    } else if (std::regex_match(request.path, address, imageAddress)) {
        return image(address, response);
    } else {
        response.status = 404;
    }
    response.setContent(envelope(badRequest), textType);
}

std::optional<int> HttpApi::user(const HttpRequest& request)
{
    std::string cookies = request.header("Cookie");
    return game.accounts().userOf(cookieValue(cookies, "id"), cookieValue(cookies, "JSESSIONID"));
}

std::optional<int> HttpApi::raceId(const HttpRequest& request)
{
    return parseInteger(request.param("raceId"), 1, 2147483647);
}

void HttpApi::users(const HttpRequest& request, HttpResponse& response)
{
    std::optional<int> which = action(request);
    if (!which || (*which != 1 && *which != 2))
        return reply(response, badRequest);
    std::string email = request.param("email");
    std::string password = request.param("password");
    AccountResult result = *which == 1 ? game.accounts().registerAccount(email, password, request.param("nick"))
                                       : game.accounts().login(email, password, request.remoteAddress);
    if (!result.session)
        return reply(response, result.refusal);
    // Registration logs in only when asked to; the client always asks.
    if (*which == 2 || request.param("autoLogin") == "1")
        setSessionCookies(response, *result.session);
    reply(response, Answer::good(""));
}

void HttpApi::races(const HttpRequest& request, HttpResponse& response)
{
    std::optional<int> which = action(request);
    if (!which || *which < 1 || *which > 6)
        return reply(response, badRequest);
    std::optional<int> player = user(request);
    if (!player)
        return reply(response, pleaseLogIn);
    std::string host = request.header("Host");
    if (*which == 1)
        return reply(response, game.raceList(*player, host));
    std::optional<int> race = raceId(request);
    if (!race)
        return reply(response, "Missing or invalid raceId.");
    switch (*which) {
    case 2:
        return reply(response, game.join(*player, *race, host));
    case 3:
        return reply(response, game.route(*race));
    case 4:
        return reply(response, game.boats(*player, *race));
    case 6:
        return landMask(request, response);
    default:
        return reply(response, game.position(*player, *race));
    }
}

// Not one of the race server's own requests: the client's router asks it, and routes
// through open water only where this server answers.
void HttpApi::landMask(const HttpRequest& request, HttpResponse& response)
{
    std::optional<int> z = parseInteger(request.param("z"), 0, 12);
    std::optional<int> x = z ? parseInteger(request.param("x"), 0, (1LL << *z) - 1) : std::nullopt;
    std::optional<int> y = z ? parseInteger(request.param("y"), 0, (1LL << *z) - 1) : std::nullopt;
    if (!z || !x || !y)
        return reply(response, "Missing or invalid tile.");
    reply(response, Answer::good(landMaskTable(game.coastline(), *z, *x, *y)));
}

void HttpApi::boats(const HttpRequest& request, HttpResponse& response)
{
    std::optional<int> which = action(request);
    if (!which || (*which != 1 && *which != 2))
        return reply(response, badRequest);
    std::optional<int> player = user(request);
    if (!player)
        return reply(response, pleaseLogIn);
    std::optional<int> race = raceId(request);
    if (!race)
        return reply(response, "Missing or invalid raceId.");
    if (*which == 1)
        return reply(response, game.boatDescription(*race));
    std::optional<double> heading = parseReal(request.param("heading"));
    std::optional<int> sail = parseInteger(request.param("sail"), 0, 1000);
    if (!heading || !sail)
        return reply(response, "Missing or invalid heading or sail.");
    reply(response, game.setCourse(*player, *race, *heading, *sail));
}

void HttpApi::wind(const HttpRequest& request, HttpResponse& response)
{
    std::optional<int> z = parseInteger(request.param("z"), 0, 20);
    std::optional<int> x = z ? parseInteger(request.param("x"), 0, (1LL << *z) - 1) : std::nullopt;
    std::optional<int> y = z ? parseInteger(request.param("y"), 0, (1LL << *z) - 1) : std::nullopt;
    std::optional<int> size = request.hasParam("s") ? parseInteger(request.param("s"), 32, 4096) : std::optional<int>(256);
    std::optional<long long> time = request.hasParam("t") ? parseLong(request.param("t"), 0, 1LL << 40) : std::optional<long long>(currentTime());
    if (action(request) != 1 || !z || !x || !y || !size || !time) {
        response.status = 400;
        response.setContent("Invalid wind request.", textType);
        return;
    }
    // One arrow every 32 pixels of the tile.
    int cells = std::clamp(*size / 32, 1, 16);
    const WindSource& source = game.windSource();
    TableWriter out;
    out.field("numWinds", cells).key("winds").open();
    for (int row = 0; row < cells; ++row) {
        for (int column = 0; column < cells; ++column) {
            double px = (*x + (column + 0.5) / cells) * 256.0;
            double py = (*y + (row + 0.5) / cells) * 256.0;
            Wind w = source.at(worldYToLat(py, *z), worldXToLon(px, *z), *time);
            // A direction just under north rounds up to 360.0, which is written as 0.0.
            double dir = std::round(w.dir * 10.0) / 10.0;
            out.value(dir >= 360.0 ? 0.0 : dir).value(std::round(w.speed * 10.0) / 10.0);
        }
    }
    out.close();
    response.setContent(out.text(), textType);
}

void HttpApi::tile(const std::smatch& address, HttpResponse& response)
{
    std::optional<int> z = parseInteger(address.str(1), TileService::minZoom, TileService::maxZoom);
    std::optional<int> x = z ? parseInteger(address.str(2), 0, (1LL << *z) - 1) : std::nullopt;
    std::optional<int> y = z ? parseInteger(address.str(3), 0, (1LL << *z) - 1) : std::nullopt;
    if (!z || !x || !y) {
        response.status = 404;
        response.setContent("No such tile.", textType);
        return;
    }
    response.setContent(tiles.tile(*z, *x, *y), "image/png");
}

void HttpApi::image(const std::smatch& address, HttpResponse& response)
{
    std::optional<int> id = parseInteger(address.str(1), 1, 2147483647);
    std::optional<Race> race = id ? game.race(*id) : std::nullopt;
    if (!race) {
        response.status = 404;
        response.setContent("No such picture.", textType);
        return;
    }
    response.setContent(images.picture(*race), "image/png");
}

} // namespace server
