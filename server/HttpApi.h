#pragma once

#include "server/HttpExchange.h"

#include <optional>
#include <regex>
#include <string>

namespace server {

class GameServer;
class TileService;
class RaceImages;

// The HTTP face of the game: the query-string interface of the race server (answers in a
// "<result>" envelope), the wind grids, the map tiles and the race pictures.
class HttpApi {
public:
    HttpApi(GameServer& game, TileService& tiles, RaceImages& images);

    // The answer to any request, errors included; never throws.
    HttpResponse answer(const HttpRequest& request);
    // Whether the answer may take long (password checks, rendering, joins, land masks) and
    // is better given away from the threads that serve the network.
    static bool slow(const HttpRequest& request);

private:
    void route(const HttpRequest& request, HttpResponse& response);
    void users(const HttpRequest& request, HttpResponse& response);
    void races(const HttpRequest& request, HttpResponse& response);
    void landMask(const HttpRequest& request, HttpResponse& response);
    void boats(const HttpRequest& request, HttpResponse& response);
    void wind(const HttpRequest& request, HttpResponse& response);
    void tile(const std::smatch& address, HttpResponse& response);
    void image(const std::smatch& address, HttpResponse& response);

    // The logged-in user named by the request's cookies.
    std::optional<int> user(const HttpRequest& request);
    std::optional<int> raceId(const HttpRequest& request);

    GameServer& game;
    TileService& tiles;
    RaceImages& images;
};

// "<result>" + text + "</result>", as every race answer is framed.
std::string envelope(const std::string& text);

} // namespace server
