// Whole-file helpers for the plug-in's 8-bit text files. Every byte is
// written as given (binary streams, so CR LF is written explicitly and both
// builds produce the same bytes). Replacing a file goes through a temporary
// file in the same folder and one rename, so a failure at any point leaves
// the old file as it was. Stateless; any thread.
#pragma once

#include <string>
#include <vector>

namespace file_io {

enum class ReadResult { kOk, kMissing, kFailed };

// Reads the whole file; false (and `content` empty) when it cannot be read.
bool ReadAll(const std::string& path, std::string* content);
ReadResult ReadAllChecked(const std::string& path, std::string* content);

// Splits at LF, dropping one CR before it; a last line without a line end
// counts as a line.
std::vector<std::string> SplitLines(const std::string& content);

// Replaces the file's contents in one step (see above).
bool ReplaceContents(const std::string& path, const std::string& bytes);

// Moves `from` over `to` in one step, replacing `to`: rename(2) on POSIX,
// MoveFileExA with MOVEFILE_REPLACE_EXISTING on Windows.
bool MoveReplacing(const std::string& from, const std::string& to);

}  // namespace file_io
