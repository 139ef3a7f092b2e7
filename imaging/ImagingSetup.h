#pragma once

// Starts libvips once per process. The program calls it on the main thread before any
// worker starts; CLead calls it too, so tests need no set-up of their own. False when the
// library cannot start (the program then shows message 120).
bool StartImaging(const char* programName = nullptr);

// Whether the imaging libraries' own warnings (libvips' and GLib's log, the toolkit's image
// readers) reach standard error. Off by default: the terminal shows only the program's
// messages, and a decoder's reason reaches the user folded into them. --verbose turns it on.
// Any thread; call it before StartImaging to cover the start too.
void SetImagingVerbose(bool verbose);
bool ImagingVerbose();
