#pragma once

#include "net/Downloader.h"

// Starts the process-wide download thread the first time it is called; the test program's
// exit stops it.
inline void startDownloaderOnce()
{
    if (!downloader.isRunning())
        downloader.startThread();
}
