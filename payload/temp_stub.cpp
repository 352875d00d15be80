#include "payload/temp.h"

// Placeholder until the temporary-item register exists.
void cleanupPass() {}
