// What the worker runs: options in order, input files and their actions, then
// the embedded instructions program.
#pragma once

#include "base/string.h"

namespace mg {

int runDriver(const StringList& args);

}  // namespace mg
