#pragma once

#include "net/Thread.h"

#include <cstdlib>
#include <memory>
#include <string>

enum DownloadKind {
    TextureRequest = 1,
    BatchRequest = 2,
    WindRequest = 3,
    OkRequest = 5,
    RaceRequest = 6,
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

// The "downloader" thread: performs HTTP GETs on libcurl's multi interface. The
// user-interface thread queues a request and later polls for its answer, never waiting
// on the network. It also learns the id and JSESSIONID cookies and sends them back.
class Downloader : public Thread {
public:
    Downloader();
    ~Downloader() override;

    // Queues a GET; returns the request id at once, or -1 when no transfer could be made.
    int download(const std::string& url, DownloadKind kind, void* user);
    bool pollById(int id, Answer& answer);
    bool pollByKind(DownloadKind kind, Answer& answer);
    // The request goes on; its result is dropped instead of delivered.
    void cancel(int id);
    void stop();

protected:
    int run() override;

private:
    struct State;
    std::unique_ptr<State> state;
};

// The process-wide download thread, started by main.
extern Downloader downloader;

// URL-encodes a query value: every byte but letters, digits and - . _ ~ becomes %XX.
std::string escape(const std::string& text);
