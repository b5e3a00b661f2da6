#pragma once

#include <string>
#include <utility>
#include <vector>

namespace server {

using HttpFields = std::vector<std::pair<std::string, std::string>>;

// One request as the HTTP listener read it: the decoded path and query parameters, the
// header lines, the client's address and how long the request target was on the wire.
struct HttpRequest {
    std::string method;
    std::string path;
    HttpFields query;
    HttpFields headers;
    std::string remoteAddress;
    size_t targetLength = 0;

    bool hasParam(const std::string& name) const;
    // The first value of the parameter, empty when absent.
    std::string param(const std::string& name) const;
    // The first header of that name, whatever its case; empty when absent.
    std::string header(const std::string& name) const;
};

// The answer to one request; `headers` may name the same header several times (Set-Cookie).
struct HttpResponse {
    int status = 200;
    std::string contentType;
    std::string body;
    HttpFields headers;

    void setContent(std::string text, const char* type);
    void addHeader(std::string name, std::string value);
};

} // namespace server
