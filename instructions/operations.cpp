#include "instructions/operations.h"

#include "base/settings.h"

bool Operations::cancelRequested() { return ::cancelRequested.load(); }
