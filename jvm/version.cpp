#include "jvm/version.h"

#include <algorithm>

#include "base/stable_sort.h"

namespace mg {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Reads the part of text at pos (skipping separators): a run of digits or of
// letters. False at the end.
bool nextPart(const String& text, std::size_t& pos, String& part, bool& number) {
    while (pos < text.size() && !isDigit(text[pos]) && !isLetter(text[pos])) ++pos;
    if (pos == text.size()) return false;
    number = isDigit(text[pos]);
    const std::size_t start = pos;
    while (pos < text.size() && (number ? isDigit(text[pos]) : isLetter(text[pos]))) ++pos;
    part = text.substr(start, pos - start);
    return true;
}

// Runs of digits of any length: without their leading zeros, the longer run
// is the larger number.
int compareNumbers(const String& a, const String& b) {
    const std::size_t za = std::min(a.find_first_not_of('0'), a.size());
    const std::size_t zb = std::min(b.find_first_not_of('0'), b.size());
    const std::size_t la = a.size() - za, lb = b.size() - zb;
    if (la != lb) return la < lb ? -1 : 1;
    return a.compare(za, la, b, zb, lb) < 0 ? -1 : (a.compare(za, la, b, zb, lb) > 0 ? 1 : 0);
}

int compareText(const String& a, const String& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const char x = lowerAscii(a[i]), y = lowerAscii(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// Java 8 and older called themselves 1.x.
std::size_t versionStart(const String& text) {
    return text.size() > 2 && text[0] == '1' && text[1] == '.' && isDigit(text[2]) ? 2 : 0;
}

bool sameNameChar(char patternChar, char nameChar) {
    return patternChar == '?' || lowerAscii(patternChar) == lowerAscii(nameChar);
}

StringList splitComponents(const String& path) {
    StringList parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == String::npos) end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

String joinPath(const String& parent, const String& name) { return parent.empty() ? name : parent + "\\" + name; }

}  // namespace

int compareVersions(const String& a, const String& b) {
    std::size_t pa = versionStart(a), pb = versionStart(b);
    String partA, partB;
    bool numberA = false, numberB = false;
    for (;;) {
        const bool moreA = nextPart(a, pa, partA, numberA);
        const bool moreB = nextPart(b, pb, partB, numberB);
        if (!moreA || !moreB) return moreA == moreB ? 0 : (moreA ? 1 : -1);
        if (numberA != numberB) return numberA ? 1 : -1;
        const int order = numberA ? compareNumbers(partA, partB) : compareText(partA, partB);
        if (order != 0) return order;
    }
}

String versionPart(const String& name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (isDigit(name[i])) return name.substr(i);
    }
    return String();
}

bool hasNamePattern(const String& text) { return text.find_first_of("*?") != String::npos; }

bool matchesNamePattern(const String& pattern, const String& name) {
    // Greedy, going back only to the last `*`: time proportional to the
    // product of the lengths, whatever the pattern.
    std::size_t p = 0, n = 0;
    std::size_t star = String::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && sameNameChar(pattern[p], name[n])) {
            ++p;
            ++n;
        } else if (star != String::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

void sortNewestFirst(std::vector<PatternMatch>& matches) {
    stableSort(matches, [](const PatternMatch& x, const PatternMatch& y) {
        return compareVersions(x.version, y.version) > 0;
    });
}

std::vector<PatternMatch> expandPattern(const String& base, const String& pattern, const NameLister& list) {
    std::vector<PatternMatch> found{PatternMatch{base, String()}};
    for (const String& component : splitComponents(pattern)) {
        std::vector<PatternMatch> next;
        for (const PatternMatch& parent : found) {
            if (!hasNamePattern(component)) {
                next.push_back(PatternMatch{joinPath(parent.path, component), parent.version});
                continue;
            }
            for (const String& name : list(parent.path)) {
                if (!matchesNamePattern(component, name)) continue;
                const String version = parent.version.empty() ? versionPart(name)
                                                              : parent.version + "." + versionPart(name);
                next.push_back(PatternMatch{joinPath(parent.path, name), version});
            }
        }
        found.swap(next);
    }
    sortNewestFirst(found);
    return found;
}

}  // namespace mg
