#include "net/DownloadBatcher.h"

SimpleBatcher::SimpleBatcher(std::string url)
    : url(std::move(url))
{
}

std::string SimpleBatcher::nextUrl(const std::string& previousAnswer)
{
    if (first) {
        first = false;
        return url;
    }
    answer = previousAnswer;
    return {};
}

void SimpleBatcher::onCancel()
{
    answer = "canceled";
}
