#pragma once

#include "base/MutexLock.h"
#include "base/Thread.h"
#include "net/CurlHandles.h"

#include <SDL.h>

#include <cstdlib>
#include <list>
#include <memory>
#include <string>

enum DownloadKind {
    TextureRequest = 1,
    BatchRequest = 2,
    WindRequest = 3,
    OkRequest = 5,
    RaceRequest = 6,
    // Examined as an OkRequest is, then kept for pollById: the heading submission whose
    // answer the boat control panel reports.
    CheckedRequest = 7,
};

struct FreeDeleter {
    void operator()(char* block) const { std::free(block); }
};
// An answer body as the download thread grew it: NUL-terminated, released with free.
using AnswerBlock = std::unique_ptr<char, FreeDeleter>;

// One collected result of pollById or pollByKind.
struct Answer {
    int id = 0;
    AnswerBlock bytes;
    size_t length = 0;
    int status = -1; // 0 when the transfer completed, -1 on a transport failure
    void* user = nullptr;
};

// Limits that end a transfer which would otherwise hang or exhaust memory, how long the
// idle thread sleeps when nothing wakes it, and when the request ids start again.
struct DownloaderOptions {
    long connectTimeout = 10; // seconds to establish a connection
    long stallTime = 30; // seconds a transfer may move no byte at all before it fails
    size_t answerLimit = size_t(64) << 20; // bytes; a longer answer fails the transfer
    Uint32 idleWait = 10000; // milliseconds
    // Once the thread is idle with nothing to collect, a counter this high starts again
    // from 0, so the ids stay small.
    int idRestart = 10001;
};

// One GET on its way through the download thread's lists.
struct DownloadRequest {
    int id = 0;
    int kind = 0; // a DownloadKind
    void* user = nullptr; // not owned; handed back on collection
    CurlEasy transfer;
    bool succeeded = false;
    AnswerBlock answer; // null until the first bytes arrive
    size_t answerLength = 0; // without the terminating zero byte
    size_t answerCapacity = 0; // bytes allocated for the answer
    size_t answerLimit = 0;
};

// The "downloader" thread: performs HTTP GETs on libcurl's multi interface. The
// user-interface thread queues a request and later polls for its answer, never waiting
// on the network. It also learns the id and JSESSIONID cookies and sends them back.
class Downloader : public Thread {
public:
    explicit Downloader(DownloaderOptions options = {});
    // Stops and joins a running thread first: exit() runs this while the thread turns.
    ~Downloader() override;

    // Queues a GET; returns the request id at once, or -1 when no transfer could be made.
    int download(const std::string& url, DownloadKind kind, void* user);
    bool pollById(int id, Answer& answer);
    // Takes the earliest ended transfer of that kind.
    bool pollByKind(DownloadKind kind, Answer& answer);
    // The request goes on; its result is dropped instead of delivered.
    void cancel(int id);
    void stop();

protected:
    int run() override;

private:
    using Requests = std::list<DownloadRequest>;

    bool configure(CURL* transfer, const std::string& url) const;
    bool turn();
    void startPending();
    const char* attach(DownloadRequest& request);
    void collectEnded();
    Requests::iterator findTagged(CURL* transfer);
    void finish(Requests::iterator request);
    void learnCookies(CURL* transfer);
    void waitForWork(MutexLock& guard);
    void abandonTransfers();
    void dropOneCancelled();
    static void deliver(DownloadRequest& request, Answer& answer);
    static Requests::iterator findId(Requests& requests, int id);

    bool curlReady = false;
    bool stopRequested = false;
    CurlMulti multi;
    int lastId = 0;
    Requests pending;
    SdlMutex lock;
    SdlCondition workSignal;
    Requests active;
    Requests finished;
    std::list<int> cancelled;
    std::string idCookie;
    std::string jsessionidCookie;
    DownloaderOptions options;
};

// The process-wide download thread, started by main.
extern Downloader downloader;

// URL-encodes a query value: every byte but letters, digits and - . _ ~ becomes %XX.
std::string escape(const std::string& text);
