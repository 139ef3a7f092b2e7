#pragma once

// Starts libvips once per process. The program calls it on the main thread before any
// worker starts; CLead calls it too, so tests need no set-up of their own. False when the
// library cannot start (the program then shows message 120).
bool StartImaging(const char* programName = nullptr);
