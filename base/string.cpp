#include "base/string.h"

namespace mg {

String::String(const char* text) : std::string(text) {}

}  // namespace mg
