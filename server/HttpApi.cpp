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

void reply(httplib::Response& response, const std::string& text)
{
    response.set_content(envelope(text), textType);
}

void reply(httplib::Response& response, const Answer& answer)
{
    if (!answer.ok)
        reply(response, answer.text);
    else
        reply(response, answer.text.empty() ? std::string("OK") : "OK " + answer.text);
}

std::string param(const httplib::Request& request, const char* name)
{
    return request.has_param(name) ? request.get_param_value(name) : std::string();
}

std::optional<int> action(const httplib::Request& request)
{
    return parseInteger(param(request, "action"), 0, 100);
}

void setSessionCookies(httplib::Response& response, const Session& session)
{
    response.set_header("Set-Cookie", "id=" + std::to_string(session.user) + "; Path=/");
    response.set_header("Set-Cookie", "JSESSIONID=" + session.token + "; Path=/");
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

void HttpApi::install(httplib::Server& server)
{
    server.Get("/users", [this](const httplib::Request& q, httplib::Response& r) { users(q, r); });
    server.Get("/races", [this](const httplib::Request& q, httplib::Response& r) { races(q, r); });
    server.Get("/boats", [this](const httplib::Request& q, httplib::Response& r) { boats(q, r); });
    server.Get("/wind", [this](const httplib::Request& q, httplib::Response& r) { wind(q, r); });
    server.Get(R"(/tiles/(\d{1,2})/(\d{1,6})/(\d{1,6})\.png)", [this](const httplib::Request& q, httplib::Response& r) { tile(q, r); });
    server.Get(R"(/images/race-(\d{1,9})\.png)", [this](const httplib::Request& q, httplib::Response& r) { image(q, r); });
    // Answers that httplib makes itself (too long a request, no such path) get a text too.
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty())
            response.set_content(envelope(badRequest), textType);
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        response.status = 500;
        response.set_content(envelope("The server could not answer this request."), textType);
    });
}

std::optional<int> HttpApi::user(const httplib::Request& request)
{
    std::string cookies = request.get_header_value("Cookie");
    return game.accounts().userOf(cookieValue(cookies, "id"), cookieValue(cookies, "JSESSIONID"));
}

std::optional<int> HttpApi::raceId(const httplib::Request& request)
{
    return parseInteger(param(request, "raceId"), 1, 2147483647);
}

void HttpApi::users(const httplib::Request& request, httplib::Response& response)
{
    std::optional<int> which = action(request);
    if (!which || (*which != 1 && *which != 2))
        return reply(response, badRequest);
    std::string email = param(request, "email");
    std::string password = param(request, "password");
    AccountResult result = *which == 1 ? game.accounts().registerAccount(email, password, param(request, "nick"))
                                       : game.accounts().login(email, password, request.remote_addr);
    if (!result.session)
        return reply(response, result.refusal);
    // Registration logs in only when asked to; the client always asks.
    if (*which == 2 || param(request, "autoLogin") == "1")
        setSessionCookies(response, *result.session);
    reply(response, Answer::good(""));
}

void HttpApi::races(const httplib::Request& request, httplib::Response& response)
{
    std::optional<int> which = action(request);
    if (!which || *which < 1 || *which > 6)
        return reply(response, badRequest);
    std::optional<int> player = user(request);
    if (!player)
        return reply(response, pleaseLogIn);
    std::string host = request.get_header_value("Host");
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
void HttpApi::landMask(const httplib::Request& request, httplib::Response& response)
{
    std::optional<int> z = parseInteger(param(request, "z"), 0, 12);
    std::optional<int> x = z ? parseInteger(param(request, "x"), 0, (1LL << *z) - 1) : std::nullopt;
    std::optional<int> y = z ? parseInteger(param(request, "y"), 0, (1LL << *z) - 1) : std::nullopt;
    if (!z || !x || !y)
        return reply(response, "Missing or invalid tile.");
    reply(response, Answer::good(landMaskTable(game.coastline(), *z, *x, *y)));
}

void HttpApi::boats(const httplib::Request& request, httplib::Response& response)
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
    std::optional<double> heading = parseReal(param(request, "heading"));
    std::optional<int> sail = parseInteger(param(request, "sail"), 0, 1000);
    if (!heading || !sail)
        return reply(response, "Missing or invalid heading or sail.");
    reply(response, game.setCourse(*player, *race, *heading, *sail));
}

void HttpApi::wind(const httplib::Request& request, httplib::Response& response)
{
    std::optional<int> z = parseInteger(param(request, "z"), 0, 20);
    std::optional<int> x = z ? parseInteger(param(request, "x"), 0, (1LL << *z) - 1) : std::nullopt;
    std::optional<int> y = z ? parseInteger(param(request, "y"), 0, (1LL << *z) - 1) : std::nullopt;
    std::optional<int> size = request.has_param("s") ? parseInteger(param(request, "s"), 32, 4096) : std::optional<int>(256);
    std::optional<long long> time = request.has_param("t") ? parseLong(param(request, "t"), 0, 1LL << 40) : std::optional<long long>(currentTime());
    if (action(request) != 1 || !z || !x || !y || !size || !time) {
        response.status = 400;
        response.set_content("Invalid wind request.", textType);
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
    response.set_content(out.text(), textType);
}

void HttpApi::tile(const httplib::Request& request, httplib::Response& response)
{
    std::optional<int> z = parseInteger(request.matches[1], TileService::minZoom, TileService::maxZoom);
    std::optional<int> x = z ? parseInteger(request.matches[2], 0, (1LL << *z) - 1) : std::nullopt;
    std::optional<int> y = z ? parseInteger(request.matches[3], 0, (1LL << *z) - 1) : std::nullopt;
    if (!z || !x || !y) {
        response.status = 404;
        response.set_content("No such tile.", textType);
        return;
    }
    response.set_content(tiles.tile(*z, *x, *y), "image/png");
}

void HttpApi::image(const httplib::Request& request, httplib::Response& response)
{
    std::optional<int> id = parseInteger(request.matches[1], 1, 2147483647);
    std::optional<Race> race = id ? game.race(*id) : std::nullopt;
    if (!race) {
        response.status = 404;
        response.set_content("No such picture.", textType);
        return;
    }
    response.set_content(images.picture(*race), "image/png");
}

} // namespace server
