#include "launcher/driver.h"

// Placeholder until the options and the file index are read.
int runDriver(const StringList&) { return 0; }
