#include "support/RunningDownloader.h"

#include "net/Downloader.h"

void startDownloaderOnce()
{
    if (!downloader.isRunning())
        downloader.startThread();
}
