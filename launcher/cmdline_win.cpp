#include <windows.h>
#include <shellapi.h>

#include <string>

#include "launcher/cmdline.h"
#include "base/settings.h"
#include "base/handles.h"

namespace mg {

namespace {
String toAnsi(const wchar_t* wide) {
    int length = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return String();
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, &ansi[0], length, nullptr, nullptr);
    ansi.resize(static_cast<std::size_t>(length - 1));
    return String(ansi);
}
}  // namespace

bool splitCommandLine(CommandLine& out) {
    if (useAnsiApi) {
        const char* text = ::GetCommandLineA();
        splitAnsiCommandLine(text ? String(text) : String(), out);
        return true;
    }
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv) return false;
    // The splitter's array is one allocation from the local heap.
    LocalMemory owner(reinterpret_cast<HLOCAL>(argv));
    for (int i = 0; i < count; ++i) out.args.push_back(toAnsi(argv[i]));
    out.count = count;
    return true;
}

}  // namespace mg
