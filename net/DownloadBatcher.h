#pragma once

#include <string>

// A short conversation with the race server: each next request may depend on the
// previous answer.
class DownloadBatcher {
public:
    virtual ~DownloadBatcher() = default;
    // The URL of the next request, or empty when the batch is complete. The first call
    // gets an empty answer, each later one the unwrapped text of the previous answer.
    virtual std::string nextUrl(const std::string& previousAnswer) = 0;
    // The player pressed Cancel (or Escape).
    virtual void onCancel() = 0;
};

// A batch of exactly one request.
class SimpleBatcher : public DownloadBatcher {
public:
    explicit SimpleBatcher(std::string url);

    std::string nextUrl(const std::string& previousAnswer) override;
    void onCancel() override;
    std::string getAnswer() const { return answer; }

private:
    std::string url;
    std::string answer;
    bool first = true;
};
