#include "tools/replay/adif_reader.h"

#include <algorithm>

#include "engine/text.h"
#include "tools/replay/input_error.h"

namespace {

// Walks the bytes once, keeping the line number of the current position.
class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : bytes_(bytes) {}

  size_t pos() const { return pos_; }
  int line() const { return line_; }
  bool done() const { return pos_ >= bytes_.size(); }

  void AdvanceTo(size_t target) {
    target = std::min(target, bytes_.size());
    line_ += static_cast<int>(std::count(bytes_.begin() + pos_, bytes_.begin() + target, '\n'));
    pos_ = target;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
  int line_ = 1;
};

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

const AdifField* AdifRecord::Find(std::string_view name) const {
  for (const AdifField& field : fields) {
    if (field.name == name) return &field;
  }
  return nullptr;
}

const std::string* AdifRecord::Value(std::string_view name) const {
  const AdifField* field = Find(name);
  return field != nullptr && !field->value.empty() ? &field->value : nullptr;
}

AdifLog ReadAdif(std::string_view bytes, const std::string& file) {
  AdifLog log;
  log.hasHeader =
      VisitAdif(bytes, file, [&log](const AdifRecord& record) { log.records.push_back(record); });
  return log;
}

bool VisitAdif(std::string_view bytes, const std::string& file,
               const std::function<void(const AdifRecord&)>& visit) {
  bool has_header = false;
  size_t records = 0;
  Cursor cursor(bytes);
  AdifRecord current;
  size_t used = 0;  // fields of `current` in use; the rest keep their storage

  while (true) {
    const size_t open = bytes.find('<', cursor.pos());
    if (open == std::string_view::npos) break;
    cursor.AdvanceTo(open);
    const int tag_line = cursor.line();

    // The tag runs to the first '>'; a '<' before it means the '>' is missing.
    const size_t close = bytes.find_first_of("<>", open + 1);
    if (close == std::string_view::npos || bytes[close] != '>') {
      const std::string_view rest = bytes.substr(open + 1, 20);
      const std::string name(rest.substr(0, rest.find_first_of(":<\r\n")));
      throw InputError(file, tag_line, text::ToUpper(name), "tag has no closing '>'");
    }
    const std::string_view tag = bytes.substr(open + 1, close - open - 1);
    const size_t colon = tag.find(':');
    const std::string name = text::ToUpper(tag.substr(0, colon));
    cursor.AdvanceTo(close + 1);

    if (colon == std::string_view::npos) {
      if (name == "EOH") {
        if (records > 0) {
          throw InputError(file, tag_line, "EOH", "header end after the first record");
        }
        used = 0;
        has_header = true;
      } else if (name == "EOR") {
        if (used > 0) {
          current.fields.resize(used);
          visit(current);
          ++records;
        }
        used = 0;
      } else if (name == "EOF" ||
                 (name.size() > 4 && name.compare(name.size() - 4, 4, "_EOF") == 0)) {
        // Some loggers and confirmation services close the file with an end
        // marker of their own; nothing after it belongs to the log.
        break;
      } else {
        throw InputError(file, tag_line, name, "field has no length (<NAME:LENGTH> expected)");
      }
      continue;
    }

    if (name.empty()) throw InputError(file, tag_line, "", "field without a name");
    const std::string_view size_and_type = tag.substr(colon + 1);
    const std::string_view length_text = size_and_type.substr(0, size_and_type.find(':'));
    if (!AllDigits(length_text) || length_text.size() > 9) {
      throw InputError(
          file, tag_line, name,
          "bad length '" + std::string(length_text) + "' (a number of bytes expected)");
    }
    const size_t length = std::stoul(std::string(length_text));
    const size_t data = close + 1;
    if (length > bytes.size() - data) {
      throw InputError(file, tag_line, name,
                       "declares " + std::to_string(length) + " bytes but the file ends after " +
                           std::to_string(bytes.size() - data) + " (truncated file?)");
    }
    if (used == 0) current.line = tag_line;
    if (used == current.fields.size()) current.fields.emplace_back();
    AdifField& field = current.fields[used++];
    field.name = name;
    field.value.assign(bytes.data() + data, length);
    field.line = tag_line;
    cursor.AdvanceTo(data + length);
  }

  if (used > 0) {
    throw InputError(file, current.line, "",
                     "the file ends inside a record that has no <EOR> (truncated file?)");
  }
  return has_header;
}
