// State of the status line shared by the Windows dialog and the host stand-in.
#pragma once

#include "base/string.h"

namespace mg {

extern int statusStringId;  // -1: none
extern int detailStringId;  // -1: none
extern int detailKind;      // 0: none
extern String detailText;

// String id of a status kind (0-4) or detail kind (1-3); -1 for any other.
int statusStringIdFor(int kind);
int detailStringIdFor(int kind);

// The two halves of the status line: the status text with the caption as its
// insert, and the detail text with detailText; empty when the id is not set.
String statusPart(const String& caption);
String detailPart();
// "<status part> <detail part>": the space is always there.
String joinStatusLine(const String& status, const String& detail);

}  // namespace mg
