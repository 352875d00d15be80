// What the worker runs: options in order, input files and their actions, then
// the embedded instructions program.
#pragma once

#include "base/string.h"

int runDriver(const StringList& args);
