#include "ui/messages.h"

namespace mg {

namespace {
// Message code -> string id; the codes are stable, the ids follow the table.
const int kMessageStringIds[] = {8, 9, 10, 11, 12, 13, 14, 15, 16, 19, 21, 22, 23, 24, 29, 33, 34, 35};
}  // namespace

int messageStringId(int code) {
    const int count = static_cast<int>(sizeof kMessageStringIds / sizeof kMessageStringIds[0]);
    if (code < 0 || code >= count) return -1;
    return kMessageStringIds[code];
}

String messageText(int code) {
    int id = messageStringId(code);
    if (id < 0) return String();
    return loadStringText(id);
}

String formatStringText(int id, const StringList& inserts) {
    return formatText(loadStringText(id), inserts);
}

}  // namespace mg
