#include "net/CurlHandles.h"
#include "net/Downloader.h"

#include <climits>

std::string escape(const std::string& text)
{
    // A length of 0 would make libcurl measure the text itself.
    if (text.empty() || text.size() > size_t(INT_MAX))
        return "";
    CurlEasy handle(curl_easy_init());
    if (!handle)
        return "";
    CurlText escaped(curl_easy_escape(handle.get(), text.data(), int(text.size())));
    return escaped ? std::string(escaped.get()) : "";
}
