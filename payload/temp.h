// Temporary directories and files of a run, and extraction of embedded files.
#pragma once

#include "text/string.h"

// Removes every registered temporary item, newest first, and (after -mg:orig)
// schedules the launcher's own removal. Safe to call more than once.
void cleanupPass();
