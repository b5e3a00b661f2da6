#include "net/Downloader.h"

#include "base/Text.h"
#include "net/Protocol.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

Downloader downloader;

namespace {

// While transfers run the loop turns on a timed wait rather than on the sockets.
constexpr Uint32 busyWait = 10;
constexpr long maxRedirects = 10;

void check(CURLMcode code, const char* call)
{
    if (code != CURLM_OK)
        throw std::runtime_error(std::string(call) + ": " + curl_multi_strerror(code));
}

// libcurl's write callback: appends a chunk to the request's answer, keeping it
// NUL-terminated. Returning less than the chunk makes libcurl fail the transfer.
size_t collectAnswer(char* chunk, size_t size, size_t count, void* target)
{
    DownloadRequest& request = *static_cast<DownloadRequest*>(target);
    size_t length = size * count;
    if (length > request.answerLimit - request.answerLength) {
        std::printf("Answer of download %i exceeds %zu bytes; transfer stopped\n", request.id, request.answerLimit);
        request.answer.reset();
        request.answerLength = 0;
        request.answerCapacity = 0;
        return 0;
    }
    size_t needed = request.answerLength + length + 1;
    if (needed > request.answerCapacity) {
        // The block at least doubles: grown by each chunk alone, a long answer would be
        // copied once per chunk wherever realloc cannot extend it in place.
        size_t capacity = std::max(needed, std::min(2 * request.answerCapacity, request.answerLimit + 1));
        char* grown = static_cast<char*>(std::realloc(request.answer.get(), capacity));
        if (!grown) {
            std::printf("not enough memory (realloc returned NULL)\n");
            return 0;
        }
        (void)request.answer.release();
        request.answer.reset(grown);
        request.answerCapacity = capacity;
    }
    std::memcpy(request.answer.get() + request.answerLength, chunk, length);
    request.answerLength += length;
    request.answer.get()[request.answerLength] = '\0';
    return length;
}

std::vector<std::string> splitAtTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

// The answer of a heading submission is checked for its "OK" on this thread.
void examineOkAnswer(const DownloadRequest& request)
{
    const char* text = request.answer ? request.answer.get() : "";
    if (request.answerLength != 0 && isAcknowledged(text))
        return;
    std::printf("Invalid response for download %i: '%s'\n", request.id, text);
}

}

Downloader::Downloader(DownloaderOptions options)
    : Thread("downloader")
    , lock(SDL_CreateMutex())
    , workSignal(SDL_CreateCond())
    , options(options)
{
    if (!lock || !workSignal)
        throw std::runtime_error(SDL_GetError());
    // libcurl's global set-up is done here, before any thread uses libcurl, rather than
    // implicitly by the first curl_easy_init, which need not be thread-safe. This runs
    // during static initialisation, so a failure is reported rather than thrown; every
    // request then fails to get a transfer.
    CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    curlReady = initialised == CURLE_OK;
    if (!curlReady)
        std::printf("Can't initialize libcurl: %s\n", curl_easy_strerror(initialised));
}

Downloader::~Downloader()
{
    if (isRunning()) {
        stop();
        waitThread();
    }
    // libcurl's handles go before libcurl itself.
    pending.clear();
    active.clear();
    multi.reset();
    if (curlReady)
        curl_global_cleanup();
}

int Downloader::download(const std::string& url, DownloadKind kind, void* user)
{
    MutexLock guard(lock.get());
    int id = ++lastId;
    CurlEasy transfer(curl_easy_init());
    if (!transfer || !configure(transfer.get(), url)) {
        std::printf("Error initializing curl connection!\n");
        return -1;
    }
    DownloadRequest request;
    request.id = id;
    request.kind = kind;
    request.user = user;
    request.transfer = std::move(transfer);
    request.answerLimit = options.answerLimit;
    pending.push_back(std::move(request));
    signalCondition(workSignal.get());
    return id;
}

// Sends the learnt cookies as a header; before any is known, switches libcurl's cookie
// engine on instead (reading no file) so that the answer's cookies can be learnt.
bool Downloader::configure(CURL* transfer, const std::string& url) const
{
    std::string cookie;
    if (!idCookie.empty())
        cookie = "id=" + idCookie;
    if (!jsessionidCookie.empty())
        cookie += (cookie.empty() ? "" : "; ") + std::string("JSESSIONID=") + jsessionidCookie;
    bool cookieSet = cookie.empty() ? curl_easy_setopt(transfer, CURLOPT_COOKIEFILE, "") == CURLE_OK
                                    : curl_easy_setopt(transfer, CURLOPT_COOKIE, cookie.c_str()) == CURLE_OK;
    return cookieSet
        && curl_easy_setopt(transfer, CURLOPT_URL, url.c_str()) == CURLE_OK
        && curl_easy_setopt(transfer, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK
        && curl_easy_setopt(transfer, CURLOPT_MAXREDIRS, maxRedirects) == CURLE_OK
        && curl_easy_setopt(transfer, CURLOPT_NOSIGNAL, 1L) == CURLE_OK
        && curl_easy_setopt(transfer, CURLOPT_CONNECTTIMEOUT, options.connectTimeout) == CURLE_OK
        && curl_easy_setopt(transfer, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK
        && curl_easy_setopt(transfer, CURLOPT_LOW_SPEED_TIME, options.stallTime) == CURLE_OK;
}

bool Downloader::pollById(int id, Answer& answer)
{
    MutexLock guard(lock.get());
    dropOneCancelled();
    auto found = findId(finished, id);
    if (found == finished.end())
        return false;
    deliver(*found, answer);
    finished.erase(found);
    return true;
}

bool Downloader::pollByKind(DownloadKind kind, Answer& answer)
{
    MutexLock guard(lock.get());
    dropOneCancelled();
    auto found = std::find_if(finished.begin(), finished.end(),
        [kind](const DownloadRequest& request) { return request.kind == kind; });
    if (found == finished.end())
        return false;
    deliver(*found, answer);
    finished.erase(found);
    return true;
}

void Downloader::cancel(int id)
{
    MutexLock guard(lock.get());
    // An id with no request left would wait in the list for ever, and could drop a later
    // request once the ids start again from 1.
    if (findId(pending, id) != pending.end() || findId(active, id) != active.end()
        || findId(finished, id) != finished.end())
        cancelled.push_back(id);
}

void Downloader::stop()
{
    MutexLock guard(lock.get());
    stopRequested = true;
    signalCondition(workSignal.get());
}

int Downloader::run()
{
    multi.reset(curl_multi_init());
    if (!multi)
        throw std::runtime_error("Can't initilize curl");
    try {
        while (turn()) {
        }
        abandonTransfers();
    } catch (...) {
        std::printf("we have a problem\n");
        multi.reset();
        throw;
    }
    return 0;
}

// One turn of the loop; false once a stop has been asked for (the request is consumed,
// so the thread could be started again).
bool Downloader::turn()
{
    {
        MutexLock guard(lock.get());
        if (stopRequested) {
            stopRequested = false;
            return false;
        }
        startPending();
    }
    int running = 0;
    check(curl_multi_perform(multi.get(), &running), "curl_multi_perform");
    MutexLock guard(lock.get());
    collectEnded();
    waitForWork(guard);
    return true;
}

void Downloader::startPending()
{
    while (!pending.empty()) {
        active.splice(active.end(), pending, pending.begin());
        auto request = std::prev(active.end());
        if (const char* failure = attach(*request)) {
            std::printf("Can't start download %i: %s\n", request->id, failure);
            request->transfer.reset();
            finish(request);
        }
    }
}

// Points the transfer's answer and tag at its request and hands it to the multi handle;
// returns libcurl's reason when that fails, else null. A list keeps the request in place.
const char* Downloader::attach(DownloadRequest& request)
{
    CURL* transfer = request.transfer.get();
    CURLcode set = curl_easy_setopt(transfer, CURLOPT_WRITEFUNCTION, &collectAnswer);
    if (set == CURLE_OK)
        set = curl_easy_setopt(transfer, CURLOPT_WRITEDATA, &request);
    if (set == CURLE_OK)
        set = curl_easy_setopt(transfer, CURLOPT_PRIVATE, &request);
    if (set != CURLE_OK)
        return curl_easy_strerror(set);
    CURLMcode added = curl_multi_add_handle(multi.get(), transfer);
    return added == CURLM_OK ? nullptr : curl_multi_strerror(added);
}

void Downloader::collectEnded()
{
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL* transfer = message->easy_handle;
        CURLcode result = message->data.result;
        auto request = findTagged(transfer);
        if (request == active.end())
            continue;
        request->succeeded = result == CURLE_OK;
        learnCookies(transfer);
        check(curl_multi_remove_handle(multi.get(), transfer), "curl_multi_remove_handle");
        request->transfer.reset();
        finish(request);
    }
}

Downloader::Requests::iterator Downloader::findTagged(CURL* transfer)
{
    char* tag = nullptr;
    if (curl_easy_getinfo(transfer, CURLINFO_PRIVATE, &tag) != CURLE_OK)
        return active.end();
    return std::find_if(active.begin(), active.end(),
        [tag](const DownloadRequest& request) { return reinterpret_cast<const char*>(&request) == tag; });
}

void Downloader::finish(Requests::iterator request)
{
    if (request->kind == OkRequest || request->kind == CheckedRequest)
        examineOkAnswer(*request);
    if (request->kind == OkRequest)
        active.erase(request);
    else
        finished.splice(finished.end(), active, request);
}

// The cookie list holds one Netscape cookie-file line per cookie: domain, subdomains,
// path, secure, expiry, name, value. HttpOnly cookies come with "#HttpOnly_" before the
// domain; they are split like the others rather than skipped as comments.
void Downloader::learnCookies(CURL* transfer)
{
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(transfer, CURLINFO_COOKIELIST, &list) != CURLE_OK)
        return;
    CurlSlist cookies(list);
    for (curl_slist* line = list; line; line = line->next) {
        std::vector<std::string> fields = splitAtTabs(line->data);
        if (fields.size() < 7)
            continue;
        if (fields[5] == "id")
            idCookie = fields[6];
        else if (fields[5] == "JSESSIONID")
            jsessionidCookie = fields[6];
    }
}

void Downloader::waitForWork(MutexLock& guard)
{
    if (stopRequested)
        return;
    if (!pending.empty() || !active.empty()) {
        guard.wait(workSignal.get(), busyWait);
        return;
    }
    if (finished.empty() && lastId >= options.idRestart) {
        lastId = 0;
        // Nothing can arrive any more for the ids still listed.
        cancelled.clear();
    }
    guard.wait(workSignal.get(), options.idleWait);
}

void Downloader::abandonTransfers()
{
    MutexLock guard(lock.get());
    for (DownloadRequest& request : active)
        check(curl_multi_remove_handle(multi.get(), request.transfer.get()), "curl_multi_remove_handle");
    active.clear();
    multi.reset();
}

// Walks the cancelled ids in order and drops the first result that has arrived.
void Downloader::dropOneCancelled()
{
    for (auto id = cancelled.begin(); id != cancelled.end(); ++id) {
        auto found = findId(finished, *id);
        if (found != finished.end()) {
            finished.erase(found);
            cancelled.erase(id);
            return;
        }
    }
}

void Downloader::deliver(DownloadRequest& request, Answer& answer)
{
    answer.id = request.id;
    answer.bytes = std::move(request.answer);
    answer.length = request.answerLength;
    answer.status = request.succeeded ? 0 : -1;
    answer.user = request.user;
}

Downloader::Requests::iterator Downloader::findId(Requests& requests, int id)
{
    return std::find_if(requests.begin(), requests.end(),
        [id](const DownloadRequest& request) { return request.id == id; });
}
