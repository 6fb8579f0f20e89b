// Text helpers with the "C" locale's rules, whatever the process locale is:
// only ASCII letters change case, bytes 0x80 and above are left alone, and
// white space is blank, TAB, LF, VT, FF and CR. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace text {

inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline char ToUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
inline char ToLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string ToUpper(std::string_view s);
std::string_view Trim(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

inline bool StartsWith(std::string_view s, std::string_view head) {
  return s.substr(0, head.size()) == head;
}
inline bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// The text with "&", "<", ">" and '"' written as HTML character
// references, so that it shows as text wherever a page puts it.
std::string HtmlEscaped(std::string_view s);

// Text from a log as the tools show it, on a terminal or in a results file.
// A log is a stranger's bytes: an ESC sequence would retitle or clear the
// terminal, a CR overwrite a table row, a line feed forge a line. Every
// byte that is not printable text shows as \xHH instead: the C0 controls
// and DEL, the C1 controls (U+0080 to U+009F, which terminals obey too) and
// bytes that are not valid UTF-8. Valid UTF-8 text (a name such as "São
// Paulo") and backslashes stay as they are.
std::string Visible(std::string_view s);

// A command line that the Windows C runtime splits back into exactly these
// arguments, the program first: each in double quotes, with backslashes
// doubled only where a quote follows them.
std::string CommandLineOf(const std::vector<std::string>& argv);

// True when `word` stands in `line` delimited by blanks or the line's ends.
bool ContainsWord(std::string_view line, std::string_view word);

// printf-style formatting into a std::string.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The leading decimal integer of a text, as atoi reads it (0 when none).
int LeadingInt(std::string_view s);

// A null text pointer from the host reads as an empty text.
inline std::string_view FromHost(const char* s) {
  return s ? std::string_view(s) : std::string_view();
}

}  // namespace text
