#include "server/HttpExchange.h"

#include <strings.h>

namespace server {

namespace {

const std::string* find(const HttpFields& fields, const std::string& name, bool anyCase)
{
    for (const auto& [key, value] : fields) {
        if (anyCase ? strcasecmp(key.c_str(), name.c_str()) == 0 : key == name)
            return &value;
    }
    return nullptr;
}

}

bool HttpRequest::hasParam(const std::string& name) const
{
    return find(query, name, false) != nullptr;
}

std::string HttpRequest::param(const std::string& name) const
{
    const std::string* value = find(query, name, false);
    return value ? *value : std::string();
}

std::string HttpRequest::header(const std::string& name) const
{
    const std::string* value = find(headers, name, true);
    return value ? *value : std::string();
}

void HttpResponse::setContent(std::string text, const char* type)
{
    body = std::move(text);
    contentType = type;
}

void HttpResponse::addHeader(std::string name, std::string value)
{
    headers.emplace_back(std::move(name), std::move(value));
}

} // namespace server
