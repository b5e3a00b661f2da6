#include "lobby/DownloadProcessor.h"

#include "gui/BackgroundScreen.h"
#include "gui/Button.h"
#include "gui/Command.h"
#include "gui/Label.h"
#include "gui/MessageBox.h"
#include "gui/Window.h"
#include "net/DownloadBatcher.h"
#include "net/Downloader.h"
#include "net/Protocol.h"

namespace {

// Drives a batch through the download thread, one poll per frame of the wait dialog.
class DownloadProcessor : public IdleHandler {
public:
    explicit DownloadProcessor(DownloadBatcher* batcher);

    void onIdle(Screen& screen) override;
    // The dialog stays as it is while the batch runs; its end ends the screen.
    bool changedPicture() const override { return false; }
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

DownloadProcessor::DownloadProcessor(DownloadBatcher* batcher)
    : batcher(batcher)
{
}

bool DownloadProcessor::advance(const std::string& previousAnswer)
{
    std::string url = batcher->nextUrl(previousAnswer);
    if (url.empty()) {
        completed = true;
        return true;
    }
    requestId = downloader.download(url, BatchRequest, nullptr);
    return false;
}

// A request that could not be started (download gave -1) never arrives; it ends the
// dialog at once as a failed transfer does.
void DownloadProcessor::onIdle(Screen& screen)
{
    Answer answer;
    if (requestId > 0 && !downloader.pollById(requestId, answer))
        return;
    std::string text = "Error connecting to server";
    if (answer.status == 0 && answer.bytes && answer.length > 0)
        text = extractResult(answer.bytes.get());
    if (!isGoodAnswer(text)) {
        screen.done = true;
        showMessageBox(screen.window, text);
        return;
    }
    if (advance(text))
        screen.done = true;
}

CancelWaiterCommand::CancelWaiterCommand(DownloadProcessor* processor)
    : processor(processor)
{
}

void CancelWaiterCommand::execute()
{
    processor->batcher->onCancel();
    processor->completed = false;
    downloader.cancel(processor->requestId);
    processor->waitScreen->done = true;
}

}

bool runBatch(SDL_Window* window, DownloadBatcher* batcher)
{
    if (!batcher)
        return false;
    DownloadProcessor processor(batcher);
    if (processor.advance(""))
        return true;
    CancelWaiterCommand cancel(&processor);

    std::unique_ptr<Screen> screen = createBackgroundScreen(window);
    screen->addIdleHandler(&processor);
    processor.waitScreen = screen.get();
    auto* dialog = screen->addChild(std::make_unique<Window>(600, 250, "PLEASE WAIT"));
    dialog->centreIn(screen->width, screen->height);
    dialog->addChild(std::make_unique<Label>(80, 40, 440, 35, "Loading... Please wait..."));
    dialog->addChild(std::make_unique<Button>(210, 100, 180, 96, "Cancel", &cancel, true));
    dialog->setFocus(true);
    dialog->cancelCommand = &cancel;

    screen->runEventLoop();
    return processor.completed;
}

std::string fetch(SDL_Window* window, const std::string& url)
{
    SimpleBatcher batcher(url);
    runBatch(window, &batcher);
    return batcher.getAnswer();
}
