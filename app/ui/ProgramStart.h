#pragma once

#include <functional>

class Prompter;
struct ProgramOptions;

// The whole life of the windowed program, in order: the single-instance lock, the profile
// store, the settings at their defaults, the imaging library, the work paths, the start-up
// picture, the main window until it closes, then the cleaning of the work folders and the
// release of the lock. Returns the exit status. Main thread.
int RunWindowProgram(int& argc, char** argv, const ProgramOptions& options);

// The same life once the application object exists: every message of the start and of the
// window goes through prompter, and startImaging starts the imaging library (false when it
// cannot). RunWindowProgram passes the skinned boxes and the library's own start; tests pass
// their own.
int RunWindowSession(const ProgramOptions& options, Prompter& prompter,
                     const std::function<bool()>& startImaging);
