#include "instructions/operations.h"

#include "launcher/settings.h"

bool Operations::cancelRequested() { return ::cancelRequested.load(); }
