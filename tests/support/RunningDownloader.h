#pragma once

// Starts the process-wide download thread the first time it is called; the test program's
// exit stops it.
void startDownloaderOnce();
