#pragma once

#include <cstdio>

struct ProgramOptions;

// The headless run (--batch): imports the paths as a drop would, writes the list in order to
// a card or a folder, prints each written path on standard output and every message on
// standard error. Returns the exit status: 0 when every image was written (or skipped as
// asked), 1 when any was refused or failed, 2 for a usage error, 128 + the signal when
// SIGTERM or SIGINT stopped it (after the image being written). Runs on the main thread; the
// encoding runs on a pool.
int RunBatch(const ProgramOptions& options, std::FILE* out = stdout, std::FILE* err = stderr);
