#include "instructions/operations.h"

#include "base/settings.h"

namespace mg {

bool LaunchCommands::cancelRequested() { return mg::cancelRequested.load(); }

}  // namespace mg
