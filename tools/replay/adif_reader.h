// ReadAdif: splits an ADIF file (tag format, ADIF 3) into records of named
// fields, as a logging program writes it:
//   - an optional header ends with <EOH>; whatever precedes the first tag is
//     free text; fields before <EOH> belong to the header and are dropped;
//   - a field is <NAME:LENGTH> or <NAME:LENGTH:TYPE> followed by exactly
//     LENGTH bytes of data (bytes, not characters: "São" is 4 long in UTF-8),
//     so data may hold '<' and '>' and any byte value;
//   - field names are matched in any letter case and kept in upper case;
//   - a record ends with <EOR>; empty records are skipped;
//   - an end marker without a length (<EOF>, <APP_LoTW_EOF>, any <..._EOF>)
//     ends the log: what follows is ignored.
// Faults (no '>', a missing or non-numeric length, data running past the end
// of the file, a last record without <EOR>) throw InputError naming the file,
// the line and the field.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct AdifField {
  std::string name;  // upper case
  std::string value;
  int line = 0;  // line of the field's tag
};

struct AdifRecord {
  int line = 0;  // line of the record's first field
  std::vector<AdifField> fields;

  // The field called `name` (upper case), or null. A field given twice
  // answers with its first value (the mapping warns about the second).
  const AdifField* Find(std::string_view name) const;
  // The field's value when present and not empty, else null.
  const std::string* Value(std::string_view name) const;
};

struct AdifLog {
  bool hasHeader = false;
  std::vector<AdifRecord> records;
};

// `file` is only used to name the file in error messages.
AdifLog ReadAdif(std::string_view bytes, const std::string& file);

// The same, handing each record to `visit` as soon as it is complete, so
// that a large log is never held twice. The record is reused afterwards.
// Returns whether the file had a header.
bool VisitAdif(std::string_view bytes, const std::string& file,
               const std::function<void(const AdifRecord&)>& visit);
