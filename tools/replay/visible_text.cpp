#include "tools/replay/visible_text.h"

namespace {

void AppendEscaped(unsigned char byte, std::string* out) {
  static const char kHex[] = "0123456789abcdef";
  out->append("\\x");
  out->push_back(kHex[byte >> 4]);
  out->push_back(kHex[byte & 15]);
}

// The length of the valid UTF-8 sequence of two or more bytes at `at`, or 0
// (no overlong forms, no surrogates, nothing above U+10FFFF).
size_t SequenceLength(std::string_view s, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(at);
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > s.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string VisibleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const size_t length = c >= 0x80 ? SequenceLength(text, i) : 0;
    // U+0080 to U+009F are C2 80 to C2 9F: controls, however well formed.
    const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
    if (length == 0 || c1) {
      for (size_t k = 0; k < (c1 ? 2 : 1); ++k) {
        AppendEscaped(static_cast<unsigned char>(text[i + k]), &out);
      }
      i += c1 ? 2 : 1;
      continue;
    }
    out.append(text.substr(i, length));
    i += length;
  }
  return out;
}
