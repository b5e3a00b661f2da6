#pragma once

#include "server/Route.h"

#include <istream>
#include <string>
#include <vector>

namespace server {

// The races the server offers: three built in, and any an administrator adds in the file
// "races.txt" in the data folder.
class RaceCatalog {
public:
    // The built-in races; start times are placed relative to `now` (the first start of a
    // data folder), and kept from then on.
    static std::vector<Race> builtIn(int64_t now);

    // Reads the administrator's race file. Races with errors are left out and each error
    // is described in `errors` with its line number.
    static std::vector<Race> read(std::istream& in, std::vector<std::string>& errors);
};

} // namespace server
