#include "net/Protocol.h"

#include "app/Storage.h"
#include "base/Text.h"
#include "net/Downloader.h"
#include "table/Value.h"

namespace {

std::string raceRequest(const char* pathAndQuery, int32_t raceId)
{
    return raceServerUrl() + pathAndQuery + std::to_string(raceId);
}

}

std::string loginUrl(const std::string& email, const std::string& password)
{
    return raceServerUrl() + "/users?action=2&email=" + escape(email) + "&password=" + escape(password);
}

std::string registrationUrl(const std::string& email, const std::string& password, const std::string& nick)
{
    return raceServerUrl() + "/users?action=1&autoLogin=1&email=" + escape(email) + "&password=" + escape(password)
        + "&nick=" + escape(nick);
}

std::string raceListUrl()
{
    return raceServerUrl() + "/races?action=1";
}

std::string joinUrl(int32_t raceId)
{
    return raceRequest("/races?action=2&raceId=", raceId);
}

std::string boatDescriptionUrl(int32_t raceId)
{
    return raceRequest("/boats?action=1&raceId=", raceId);
}

std::string routeUrl(int32_t raceId)
{
    return raceRequest("/races?action=3&raceId=", raceId);
}

std::string boatsUrl(int32_t raceId)
{
    return raceRequest("/races?action=4&raceId=", raceId);
}

std::string positionUrl(int32_t raceId)
{
    return raceRequest("/races?action=5&raceId=", raceId);
}

std::string headingUrl(double heading, int32_t sail, int32_t raceId)
{
    return raceServerUrl() + "/boats?action=2&heading=" + DoubleValue(heading).toString()
        + "&sail=" + std::to_string(sail) + "&raceId=" + std::to_string(raceId);
}

std::string windUrl(int32_t z, int32_t x, int32_t y, int32_t time)
{
    return raceServerUrl() + "/wind?action=1&z=" + std::to_string(z) + "&x=" + std::to_string(x)
        + "&y=" + std::to_string(y) + "&s=256&t=" + std::to_string(time);
}

std::string landMaskUrl(int32_t raceId, int32_t z, int32_t x, int32_t y)
{
    return raceServerUrl() + "/races?action=6&z=" + std::to_string(z) + "&x=" + std::to_string(x) + "&y="
        + std::to_string(y) + "&raceId=" + std::to_string(raceId);
}

std::string extractResult(const std::string& answer)
{
    static const std::string opening = "<result>";
    size_t start = answer.find(opening);
    if (start == std::string::npos)
        return "";
    start += opening.size();
    size_t end = answer.find("</result>", start);
    if (end == std::string::npos)
        return "";
    return answer.substr(start, end - start);
}

bool isGoodAnswer(const std::string& text)
{
    return startsWith(text, "OK");
}

bool isAcknowledged(const std::string& answer)
{
    return isGoodAnswer(extractResult(answer));
}

// An answer of exactly "OK" carries no table: its text is empty.
std::string answerTable(const std::string& text)
{
    return text.size() > 3 ? text.substr(3) : std::string();
}
