#pragma once

#include <QString>

class Prompter;

// Starting the companion transfer program and handing it the folder the convert run last wrote
// to. The installer records the program's location in the settings; nothing here waits for the
// program or looks at what it does. GUI thread (it may show a message through the Prompter).

// The companion's executable as recorded under "Ondavire/Path": the system-wide value when
// there is one, else the user's own; empty when neither holds it.
QString CompanionPath();

// Starts the companion detached, with "/T:" + lastDestination as its one argument when
// lastDestination is not empty. When no path is recorded or the file cannot be read, shows
// message 104 and returns false. A start that fails once the file was found is not reported.
bool LaunchCompanion(const QString& lastDestination, Prompter& prompter);
