#include "NetTestSupport.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace {

// A login answer sets the case's cookies; every request reports the Cookie header it
// carried, or "(none)".
class CookieServer {
public:
    CookieServer()
    {
        server.server.Get("/login", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard<std::mutex> hold(mutex);
            for (const std::string& cookie : setCookies)
                response.set_header("Set-Cookie", cookie);
            response.set_content(received(request), "text/plain");
        });
        server.server.Get("/echo", [this](const httplib::Request& request, httplib::Response& response) {
            response.set_content(received(request), "text/plain");
        });
        server.start();
    }

    void answerLoginWith(std::vector<std::string> cookies)
    {
        std::lock_guard<std::mutex> hold(mutex);
        setCookies = std::move(cookies);
    }

    std::string fetch(Downloader& client, const std::string& path)
    {
        std::optional<Answer> answer = waitForAnswer(client, client.download(server.baseUrl() + path, BatchRequest, nullptr));
        return answer ? body(*answer) : "(no answer)";
    }

private:
    static std::string received(const httplib::Request& request)
    {
        return request.has_header("Cookie") ? request.get_header_value("Cookie") : "(none)";
    }

    std::mutex mutex;
    std::vector<std::string> setCookies;
    LocalHttpServer server;
};

TEST(DownloaderCookies, LearnsIdAndSessionCookiesFromTheLoginAndSendsThemAfterwards)
{
    struct Case {
        const char* name;
        std::vector<std::string> setCookies;
        std::string sentAfterwards;
    };
    const std::vector<Case> cases = {
        { "both", { "id=17; Path=/", "JSESSIONID=a1b2; Path=/" }, "id=17; JSESSIONID=a1b2" },
        { "session only", { "JSESSIONID=a1b2" }, "JSESSIONID=a1b2" },
        { "id only", { "id=17" }, "id=17" },
        { "none", {}, "(none)" },
        { "HttpOnly", { "id=17; Path=/; HttpOnly", "JSESSIONID=a1b2; Path=/; HttpOnly" }, "id=17; JSESSIONID=a1b2" },
        { "others ignored", { "theme=dark", "JSESSIONID=a1b2", "userid=9" }, "JSESSIONID=a1b2" },
    };
    CookieServer server;
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        Downloader client;
        client.startThread();
        server.answerLoginWith(each.setCookies);
        EXPECT_EQ(server.fetch(client, "/login"), "(none)");
        EXPECT_EQ(server.fetch(client, "/echo"), each.sentAfterwards);
        EXPECT_EQ(server.fetch(client, "/echo"), each.sentAfterwards);
        client.stop();
        client.waitThread();
    }
}

}
