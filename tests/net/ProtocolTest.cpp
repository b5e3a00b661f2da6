#include "net/Protocol.h"

#include "net/CacheFile.h"
#include "net/Downloader.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using Conversions = std::vector<std::pair<std::string, std::string>>;

// Answers are unwrapped from their first envelope; query values escape every byte but the
// unreserved ones.
TEST(Protocol, AnswersAreUnwrappedQueryValuesEscapedAndCachePathsKeptInsideTheCacheFolder)
{
    const Conversions envelopes = { { "<result>OK</result>", "OK" }, { "before<result> OK 1 </result>after", " OK 1 " },
        { "<result>first</result><result>second</result>", "first" }, { "<result></result>", "" },
        { "</result><result>x</result>", "x" }, { "<result>unclosed", "" }, { "no envelope</result>", "" } };
    for (const auto& [answer, result] : envelopes)
        EXPECT_EQ(extractResult(answer), result) << answer;
    EXPECT_EQ(std::pair(answerTable("OK"), answerTable("OK races = {}")), std::pair(std::string(), std::string("races = {}")));
    const Conversions escapes = { { "AZaz09-._~", "AZaz09-._~" }, { "a b&c=d", "a%20b%26c%3Dd" }, { "me+you@mail.org", "me%2Byou%40mail.org" },
        { "100%/?#", "100%25%2F%3F%23" }, { "\xC3\xA9", "%C3%A9" }, { std::string("a\0b", 3), "a%00b" }, { "", "" } };
    for (const auto& [text, escaped] : escapes)
        EXPECT_EQ(escape(text), escaped) << text;
    // The path comes from the server, so only plain names inside the cache folder are kept.
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases { { "http://tiles.example:8080/tiles/3/4/5.png", "tiles/3/4/5.png" },
        { "http://host/race.php?id=3", "race.php?id=3" },
        { "http://host/%2e%2e/a..b/c..", "%2e%2e/a..b/c.." }, { "http://host/", std::nullopt }, { "http://host/tiles/", std::nullopt },
        { "http://host//etc/passwd", std::nullopt }, { "http://host/../x.png", std::nullopt }, { "http://host/a/../../x.png", std::nullopt },
        { "http://host/./x.png", std::nullopt }, { "http://host/a\\..\\x.png", std::nullopt }, { std::string("http://host/a\0/../x", 19), std::nullopt } };
    for (const auto& [url, path] : cases)
        EXPECT_EQ(cachePathOf(url), path) << url;
}

}
