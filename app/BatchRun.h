#pragma once

#include <cstdio>

struct ProgramOptions;

// The headless run (--batch): imports the paths as a drop would, writes the list in order to
// a card or a folder, prints each written path on standard output and every message on
// standard error, one line each, the last one counting what was written, skipped, refused and
// failed. An image that cannot be decoded is reported and passed over; a failure of the
// destination ends the run. Returns the exit status: 0 when every image was written (or
// skipped as asked), 1 when any was refused, failed or damaged, or when another run is
// writing into the folder, 2 for a usage error, 128 + the signal when SIGTERM or SIGINT
// stopped it. Runs on the main thread; the encoding runs on a pool.
int RunBatch(const ProgramOptions& options, std::FILE* out = stdout, std::FILE* err = stderr);
