#include "server/Storage.h"

#include <sodium.h>

#include <sstream>

namespace server {

std::string tokenDigest(const std::string& token)
{
    unsigned char digest[crypto_generichash_BYTES];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(token.data()), token.size(), nullptr, 0);
    char hex[sizeof digest * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
    return hex;
}

std::string encodeRoute(const std::vector<Waypoint>& route)
{
    std::ostringstream out;
    out.precision(10);
    for (const Waypoint& w : route)
        out << w.type << ' ' << w.lat << ' ' << w.lon << ' ' << w.hdg << ' ' << w.dst << '\n';
    return out.str();
}

std::vector<Waypoint> decodeRoute(const std::string& text)
{
    std::istringstream in(text);
    std::vector<Waypoint> route;
    Waypoint w;
    while (in >> w.type >> w.lat >> w.lon >> w.hdg >> w.dst)
        route.push_back(w);
    return route;
}

} // namespace server
