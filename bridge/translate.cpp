#include "bridge/translate.h"

#include <cctype>

namespace bridge {
namespace {

bool equalsIgnoreCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

// Options of java whose value is the next argument and is a path list.
bool takesPathList(const std::string& option) {
    static const char* const names[] = {"-cp", "-classpath", "--class-path", "-p",
                                        "--module-path", "--upgrade-module-path"};
    for (const char* n : names)
        if (option == n) return true;
    return false;
}

// Options of java whose value is the next argument and is not a path.
bool takesPlainValue(const std::string& option) {
    static const char* const names[] = {"--add-modules", "--add-opens", "--add-exports",
                                        "--add-reads", "--limit-modules", "--enable-native-access",
                                        "--patch-module"};
    for (const char* n : names)
        if (option == n) return true;
    return false;
}

}  // namespace

bool isWindowsAbsolute(const std::string& text) {
    if (text.size() < 2 || !std::isalpha(static_cast<unsigned char>(text[0])) || text[1] != ':')
        return false;
    return text.size() == 2 || text[2] == '\\' || text[2] == '/';
}

std::string translatePath(const std::string& path, const PathMapper& mapper, bool relativeToo) {
    if (isWindowsAbsolute(path)) {
        std::string posixPath = mapper(path);
        return posixPath.empty() ? path : posixPath;
    }
    if (!relativeToo) return path;
    std::string result = path;
    for (char& c : result)
        if (c == '\\') c = '/';
    return result;
}

std::string translatePathList(const std::string& list, const PathMapper& mapper) {
    std::string result;
    std::size_t start = 0;
    while (true) {
        std::size_t end = list.find(';', start);
        std::string entry = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (start > 0) result += ':';
        result += translatePath(entry, mapper, true);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return result;
}

std::vector<std::string> translateArguments(const std::vector<std::string>& args,
                                            const PathMapper& mapper) {
    std::vector<std::string> result;
    bool javaOptions = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!javaOptions) {
            result.push_back(translatePath(arg, mapper, false));
            continue;
        }
        if (takesPathList(arg) && i + 1 < args.size()) {
            result.push_back(arg);
            result.push_back(translatePathList(args[++i], mapper));
        } else if (takesPlainValue(arg) && i + 1 < args.size()) {
            result.push_back(arg);
            result.push_back(args[++i]);
        } else if (arg == "-jar" && i + 1 < args.size()) {
            result.push_back(arg);
            result.push_back(translatePath(args[++i], mapper, true));
            javaOptions = false;
        } else if (arg.compare(0, 2, "-D") == 0 && arg.find('=') != std::string::npos) {
            std::size_t eq = arg.find('=');
            result.push_back(arg.substr(0, eq + 1) + translatePath(arg.substr(eq + 1), mapper, false));
        } else if (arg.compare(0, 11, "-javaagent:") == 0) {
            std::size_t eq = arg.find('=', 11);
            std::string jar = arg.substr(11, eq == std::string::npos ? std::string::npos : eq - 11);
            std::string rest = eq == std::string::npos ? std::string() : arg.substr(eq);
            result.push_back("-javaagent:" + translatePath(jar, mapper, true) + rest);
        } else if (!arg.empty() && arg[0] == '-') {
            result.push_back(arg);
        } else {
            // The main class: what follows is the application's.
            result.push_back(translatePath(arg, mapper, false));
            javaOptions = false;
        }
    }
    return result;
}

std::vector<std::string> splitArgumentFile(const std::string& text) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    while (pos < text.size()) {
        while (pos < text.size() && blank(text[pos])) ++pos;
        if (pos >= text.size()) break;
        if (text[pos] == '#') {
            while (pos < text.size() && text[pos] != '\n') ++pos;
            continue;
        }
        std::string word;
        while (pos < text.size() && !blank(text[pos])) {
            char c = text[pos++];
            if (c != '"' && c != '\'') {
                word += c;
                continue;
            }
            while (pos < text.size() && text[pos] != c) {
                char d = text[pos++];
                if (d == '\\' && pos < text.size()) {
                    d = text[pos++];
                    if (d == 'n') d = '\n';
                    else if (d == 't') d = '\t';
                    else if (d == 'r') d = '\r';
                    else if (d == 'f') d = '\f';
                }
                word += d;
            }
            if (pos < text.size()) ++pos;  // the closing quote
        }
        words.push_back(word);
    }
    return words;
}

std::vector<std::string> translateArguments(const std::vector<std::string>& args, const PathMapper& mapper,
                                            const FileReader& reader) {
    // Expanded up to the main class: what follows belongs to the application.
    std::vector<std::string> expanded;
    bool javaOptions = true;
    bool optionValue = false;
    for (const std::string& arg : args) {
        std::string content;
        if (javaOptions && arg.size() > 1 && arg[0] == '@' && reader && reader(arg.substr(1), content)) {
            for (const std::string& word : splitArgumentFile(content)) expanded.push_back(word);
            continue;
        }
        expanded.push_back(arg);
        if (!javaOptions) continue;
        if (optionValue) {
            optionValue = false;
        } else if (takesPathList(arg) || takesPlainValue(arg)) {
            optionValue = true;
        } else if (arg.empty() || arg[0] != '-' || arg == "-jar") {
            javaOptions = false;
        }
    }
    return translateArguments(expanded, mapper);
}

std::string translateVariable(const std::string& name, const std::string& value,
                              const PathMapper& mapper) {
    if (equalsIgnoreCase(name, "CLASSPATH")) return translatePathList(value, mapper);
    // Another class path variable of the launch (CP_ENV_VAR): a list that
    // starts with an absolute path.
    std::size_t semicolon = value.find(';');
    if (semicolon != std::string::npos && isWindowsAbsolute(value.substr(0, semicolon)))
        return translatePathList(value, mapper);
    return translatePath(value, mapper, false);
}

}  // namespace bridge
