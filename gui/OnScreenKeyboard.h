#pragma once

// Starts the desktop's on-screen keyboard, when one is installed, without waiting for it;
// does nothing otherwise. A Windows build starts the system touch keyboard here.
void showOnScreenKeyboard();
