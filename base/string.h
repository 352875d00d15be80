// The launcher's byte string (ANSI code page), its list, and the exceptions
// every module shares. Plain C++: this header builds on every platform.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace mg {

// Raised by String for a position beyond the end.
struct RangeException {};
// Raised by String for a result longer than its maximum length.
struct LengthException {};

// A byte string with value semantics. It is std::string with the standard
// library's out_of_range / length_error turned into the launcher's own
// exception types, so that nothing above has to know the library's.
class String : public std::string {
public:
    using std::string::string;
    String() = default;
    // Out of line: inlined, the library's constructor became a private copy
    // in every object that makes a String of a literal (base/string.cpp).
    String(const char* text);
    String(const std::string& s) : std::string(s) {}
    String(std::string&& s) : std::string(std::move(s)) {}

    char& at(size_type pos) { check(pos, false); return std::string::operator[](pos); }
    char at(size_type pos) const { check(pos, false); return std::string::operator[](pos); }

    String substr(size_type pos = 0, size_type n = npos) const {
        check(pos, true);
        return String(std::string::substr(pos, n));
    }
    String& erase(size_type pos = 0, size_type n = npos) {
        check(pos, true);
        std::string::erase(pos, n);
        return *this;
    }
    String& insert(size_type pos, const std::string& s) {
        check(pos, true);
        guard([&] { std::string::insert(pos, s); });
        return *this;
    }
    String& replace(size_type pos, size_type n, const std::string& s) {
        check(pos, true);
        guard([&] { std::string::replace(pos, n, s); });
        return *this;
    }
    String& append(const std::string& s) {
        guard([&] { std::string::append(s); });
        return *this;
    }
    String& append(const char* s, size_type n) {
        guard([&] { std::string::append(s, n); });
        return *this;
    }
    String& append(size_type n, char c) {
        guard([&] { std::string::append(n, c); });
        return *this;
    }
    using std::string::operator+=;

private:
    void check(size_type pos, bool endAllowed) const {
        if (pos > size() || (!endAllowed && pos == size())) throw RangeException();
    }
    template <class F> static void guard(F f) {
        try {
            f();
        } catch (const std::length_error&) {
            throw LengthException();
        }
    }
};

inline String operator+(const String& a, const String& b) {
    String r(a);
    r.append(b);
    return r;
}
inline String operator+(const String& a, const char* b) {
    String r(a);
    r.append(std::string(b));
    return r;
}
inline String operator+(const char* a, const String& b) {
    String r(a);
    r.append(b);
    return r;
}
inline String operator+(const String& a, char c) {
    String r(a);
    r.append(1, c);
    return r;
}

using StringList = std::vector<String>;

// Every failure of the launcher's own operations.
class LauncherException {
public:
    explicit LauncherException(String message) : message_(std::move(message)) {}
    const String& message() const { return message_; }

private:
    String message_;
};

}  // namespace mg
