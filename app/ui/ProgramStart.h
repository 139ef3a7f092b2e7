#pragma once

struct ProgramOptions;

// The whole life of the windowed program, in order: the single-instance lock, the profile
// store, the settings at their defaults, the imaging library, the work paths, the start-up
// picture, the main window until it closes, then the cleaning of the work folders and the
// release of the lock. Returns the exit status. Main thread.
int RunWindowProgram(int& argc, char** argv, const ProgramOptions& options);
