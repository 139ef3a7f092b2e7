#pragma once

#include <cstdio>

struct BatchOptions;
struct ConvertSettings;
class Prompter;

// Where a batch run writes, from its command line: with --card ROOT the card folder of number
// --folder NNN, or the first free number (a folder of that number with another suffix is
// used as it is), never through a link on the card; with --dest DIR that folder. Fills the
// settings' card flag and destination. Returns 0, or the run's exit status when there is
// nowhere to write: 2 when ROOT is no folder (said on err, as a usage error), 1 when the card
// folder is reached through a link (said through the prompter). Main thread.
int ChooseBatchDestination(const BatchOptions& batch, ConvertSettings& convert, Prompter& prompter,
                           std::FILE* err);
