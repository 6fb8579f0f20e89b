// VisibleText: text from a log as the tools print it, on a terminal or into
// a results file. A log is a stranger's bytes: an ESC sequence would retitle
// or clear the terminal, a CR overwrite a table row, a line feed forge a
// line. Every byte that is not printable text shows as \xHH instead: the C0
// controls and DEL, the C1 controls (U+0080 to U+009F, which terminals obey
// too) and bytes that are not valid UTF-8. Valid UTF-8 text (a name such as
// "São Paulo") and backslashes stay as they are. Pure function; any thread.
#pragma once

#include <string>
#include <string_view>

std::string VisibleText(std::string_view text);
