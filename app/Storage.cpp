#include "app/Storage.h"

#include "app/FileStorage.h"

#include <cstdlib>

std::unique_ptr<Storage> storage = std::make_unique<FileStorage>();

std::string hexEncode(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

// Each pair goes through strtol on its own, so a pair that is not two hex digits decodes
// as far as it reads as a number, and a trailing single character is one digit.
std::string hexDecode(const std::string& text)
{
    std::string bytes;
    bytes.reserve(text.size() / 2 + 1);
    for (size_t i = 0; i < text.size(); i += 2) {
        std::string pair = text.substr(i, 2);
        bytes += static_cast<char>(std::strtol(pair.c_str(), nullptr, 16) & 0xff);
    }
    return bytes;
}

namespace {

const char* const defaultServerUrl = "http://127.0.0.1:7080";

struct ServerUrls {
    std::string race;
    std::string tile;
};

// An empty setting means no server at all, which no user wants: it falls back to the
// default like an absent one. The base URL is joined with paths that begin with "/".
std::string readServerUrl(const char* name)
{
    std::string url = storage ? storage->readString(name, defaultServerUrl) : defaultServerUrl;
    if (url.empty())
        url = defaultServerUrl;
    if (url.back() == '/')
        url.pop_back();
    return url;
}

ServerUrls readServerUrls()
{
    return { readServerUrl("raceServer"), readServerUrl("tileServer") };
}

ServerUrls& serverUrls()
{
    static ServerUrls urls = readServerUrls();
    return urls;
}

}

const std::string& raceServerUrl()
{
    return serverUrls().race;
}

const std::string& tileServerUrl()
{
    return serverUrls().tile;
}

void reloadServerUrls()
{
    serverUrls() = readServerUrls();
}
