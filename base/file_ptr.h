// Owner of a C runtime file: closed when it goes out of scope.
#pragma once

#include <cstdio>
#include <memory>

namespace mg {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace mg
