#include "instructions/operations.h"

#include "base/settings.h"

namespace mg {

bool Operations::cancelRequested() { return mg::cancelRequested.load(); }

}  // namespace mg
