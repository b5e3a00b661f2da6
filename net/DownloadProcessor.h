#pragma once

#include "gui/Command.h"

#include <SDL.h>

#include <string>

class DownloadBatcher;
class Screen;

// Drives a batch through the download thread, one poll per frame of the wait dialog.
class DownloadProcessor : public IdleHandler {
public:
    explicit DownloadProcessor(DownloadBatcher* batcher);

    void onIdle(Screen& screen) override;
    // Queues the batch's next request; true when the batch needs none (it is complete).
    virtual bool advance(const std::string& previousAnswer);

    DownloadBatcher* batcher;
    int requestId = 0;
    bool completed = false;
    Screen* waitScreen = nullptr;
};

// The wait dialog's Cancel button and Escape key: the late answer is dropped.
class CancelWaiterCommand : public Command {
public:
    explicit CancelWaiterCommand(DownloadProcessor* processor);
    void execute() override;

private:
    DownloadProcessor* processor;
};

// Runs the batch behind the "PLEASE WAIT" dialog; true when it completed, false when it
// was cancelled or ended in an error (which has then been shown in a message box).
bool runBatch(SDL_Window* window, DownloadBatcher* batcher);
// One request behind the wait dialog: the unwrapped answer (beginning with "OK"),
// "canceled" when the player cancelled, empty when an error was shown.
std::string fetch(SDL_Window* window, const std::string& url);
