#pragma once

#include <httplib.h>

#include <optional>
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

    void install(httplib::Server& server);

private:
    void users(const httplib::Request& request, httplib::Response& response);
    void races(const httplib::Request& request, httplib::Response& response);
    void landMask(const httplib::Request& request, httplib::Response& response);
    void boats(const httplib::Request& request, httplib::Response& response);
    void wind(const httplib::Request& request, httplib::Response& response);
    void tile(const httplib::Request& request, httplib::Response& response);
    void image(const httplib::Request& request, httplib::Response& response);

    // The logged-in user named by the request's cookies.
    std::optional<int> user(const httplib::Request& request);
    std::optional<int> raceId(const httplib::Request& request);

    GameServer& game;
    TileService& tiles;
    RaceImages& images;
};

// "<result>" + text + "</result>", as every race answer is framed.
std::string envelope(const std::string& text);

} // namespace server
