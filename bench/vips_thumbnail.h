// libvips' thumbnail operation, the benchmark's rival, called in-process on
// one thread with its operation cache off, drawn on the same white tile.
#pragma once

#include "bench/bench_tile.h"

// Starts the library for this process: one worker thread, no cache of
// operations or open files (every call does its whole work). False when it
// cannot start.
bool StartVips(const char* program);
void StopVips();

Drawn VipsThumbnail(const char* path, Tile& tile);
