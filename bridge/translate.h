// Turns a Windows command line and environment for a Java executable into
// what a Linux java expects: Windows paths become Unix paths, ';'-separated
// class paths become ':'-separated ones. Plain C++ so that it is unit-tested
// natively; the actual drive-letter lookup is passed in.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bridge {

// Maps an absolute Windows path ("C:\dir\file") to a Unix path, or returns an
// empty text when it cannot.
using PathMapper = std::function<std::string(const std::string& windowsPath)>;

// A drive letter, a colon and a separator (or just "C:").
bool isWindowsAbsolute(const std::string& text);

// An absolute Windows path goes through the mapper (kept as written when the
// mapper fails). With relativeToo, any other text has its backslashes turned
// into slashes, for relative entries such as "lib\app.jar".
std::string translatePath(const std::string& path, const PathMapper& mapper, bool relativeToo);

// Splits on ';', translates each entry (relative ones too) and joins with ':'.
std::string translatePathList(const std::string& list, const PathMapper& mapper);

// Translates the arguments after the executable's name. Until the main class
// (or the file after -jar) they are java's own options: the values of the
// class and module path options are path lists, "-Dname=value" and
// "-javaagent:" values may be paths. Every later argument belongs to the
// application and is only translated when it is an absolute Windows path.
std::vector<std::string> translateArguments(const std::vector<std::string>& args,
                                            const PathMapper& mapper);

// Reads a whole file named by its Windows path; false when it cannot.
using FileReader = std::function<bool(const std::string& windowsPath, std::string& content)>;

// The same, first putting the words of each "@file" among java's own
// options in its place, as java 9 and later do (the Linux java would not
// find the Windows paths the file holds). A file that cannot be read stays
// an argument as written.
std::vector<std::string> translateArguments(const std::vector<std::string>& args, const PathMapper& mapper,
                                            const FileReader& reader);

// The words of an argument file: separated by blanks and line ends; single
// or double quotes group, and inside them a backslash escapes the next
// character (\n, \t, \r, \f stand for those characters); a word that starts
// with "#" starts a comment to the end of the line.
std::vector<std::string> splitArgumentFile(const std::string& text);

// Value of a variable taken over from the Windows environment: CLASSPATH, and
// any ';' list whose first entry is an absolute path, is a path list; anything
// else is translated only when it is one absolute path.
std::string translateVariable(const std::string& name, const std::string& value,
                              const PathMapper& mapper);

}  // namespace bridge
