// A stable merge sort for the launcher's short lists. std::stable_sort
// brings its adaptive merges, rotations and temporary buffer into every
// instantiation, nearly 3 KB each in the shipped launcher; this is a few
// hundred bytes.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace mg {

// Orders items so that before(a, b) puts a ahead of b; items that neither
// puts ahead keep their order.
template <class T, class Before>
void stableSort(std::vector<T>& items, Before before) {
    const std::size_t n = items.size();
    std::vector<T> merged(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t low = 0; low < n; low += 2 * width) {
            const std::size_t middle = low + width < n ? low + width : n;
            const std::size_t high = low + 2 * width < n ? low + 2 * width : n;
            std::size_t left = low, right = middle, out = low;
            // The right run's item goes first only when it is strictly ahead.
            while (left < middle && right < high)
                merged[out++] = std::move(before(items[right], items[left]) ? items[right++] : items[left++]);
            while (left < middle) merged[out++] = std::move(items[left++]);
            while (right < high) merged[out++] = std::move(items[right++]);
        }
        items.swap(merged);
    }
}

}  // namespace mg
