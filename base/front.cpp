#include "base/front.h"

namespace mg {

Front front = Front::Window;
bool progressRequested = false;

namespace {
int runExitCode = 0;
}

void setRunExitCode(int code) { runExitCode = code; }

int processExitCode() { return consoleFront() ? runExitCode : 0; }

}  // namespace mg
