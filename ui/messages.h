// Texts the user sees: the string table, message codes and the formatting of
// system errors (base/system_error.h). Portable: on Windows the module's string table and
// FormatMessageA, on the host the English table (ui/host_ui.cpp).
#pragma once

#include "base/string.h"
#include "base/system_error.h"

namespace mg {

// Message codes name the error messages of the string table.
enum MessageCode {
    MSG_INPUT_FILE_LOAD = 0,        // "Could not load the input file."
    MSG_INSTRUCTIONS_LOAD = 1,      // "Error loading instructions file."
    MSG_LAUNCH_SCRIPT_LOAD = 2,     // "Error loading launch script."
    MSG_JVM_FILE_LOAD = 3,          // "Error loading JVM file."
    MSG_INVALID_JVM_FILE_ID = 4,    // "Invalid JVM file id."
    MSG_INVALID_ACTION = 5,         // "Invalid action in input file: "
    MSG_LOG_NAME_MISSING = 6,       // "A log file name must be specified ..."
    MSG_EXTRACT_FAILED = 7,         // "Unable to extract embedded files from the launcher. "
    MSG_INDEX_LOAD = 8,             // "Unable to load the launcher file index. "
    MSG_NO_INSTALLER = 9,           // "No JVM installer was included in the launcher."
    MSG_JVM_INVALID = 10,           // "The JVM is not valid."
    MSG_INPUT_NAME_MISSING = 11,    // "An input file name must follow the '-in' ..."
    MSG_NO_MATCHING_JVM = 12,       // "No matching JVM was found."
    MSG_SEARCH_ALL_FAILED = 13,     // "Unable to search for all JVMs. "
    MSG_INPUT_FILE_OPEN = 14,       // "Unable to open input file specified ..."
    MSG_WRITE_ERROR = 15,           // "Error writing file = "
    MSG_DISK_SPACE = 16,            // " There may not be enough temporary disk space. ..."
    MSG_CANCELED = 17               // "Canceled by the user."
};

// String ids used directly (not through a message code).
enum StringId {
    IDS_WINDOW_CLASS = 1,
    IDS_NO_DRIVES = 17,
    IDS_CHILD_FAILED = 18,
    IDS_NO_PROGRESS_BAR = 20,
    IDS_INVALID_HIVE = 27,
    IDS_INVALID_HINT = 28,
    IDS_CHOOSE_JVM_DIR = 30,
    IDS_INTRO = 31,
    IDS_CANCEL = 32,
    IDS_APPLICATION_NEEDS = 36,   // "This application needs:"
    IDS_DOWNLOAD_PAGE = 37,       // "Download page:"
    IDS_OPEN_DOWNLOAD_PAGE = 38,  // "Open the download page now?"
    IDS_LOG_FILE = 39,            // "The log file has the details:"
    IDS_NO_USER_INTERFACE = 40,   // "The user interface could not be started: "
    // Only a launcher that mgpack gave a product name has it.
    IDS_MESSAGE_CAPTION = 41
};

// String id of a message code, or -1 outside 0 to 17.
int messageStringId(int code);

// The loaded text of a message code; empty when the code or string is unknown.
String messageText(int code);

// String `id` of the string table; empty when it does not exist.
String loadStringText(int id);

// Formats a message text whose inserts (%1!s!, %2!s!, ...) are all texts.
// Throws LauncherException "Out of memory." when the formatter fails.
String formatText(const String& format, const StringList& inserts);
String formatStringText(int id, const StringList& inserts);

}  // namespace mg
