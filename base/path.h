// The two halves of a path split at its last separator, '/' or '\'.
// Portable: the packer and the host tests split Windows paths too.
#pragma once

#include "base/string.h"

namespace mg {

// The text before the last '/' or '\', without it; empty when there is none.
inline String directoryPart(const String& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == String::npos ? String() : path.substr(0, slash);
}

// The text after the last '/' or '\', or all of path.
inline String lastComponent(const String& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == String::npos ? path : path.substr(slash + 1);
}

}  // namespace mg
