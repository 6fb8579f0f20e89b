// Whole-file helpers for the plug-in's 8-bit text files. Every byte is
// written as given (binary streams, so CR LF is written explicitly and both
// builds produce the same bytes). Replacing a file goes through a temporary
// file in the same folder and one rename, so a failure at any point leaves
// the old file as it was. The temporary file gets a random name and is
// created only if that name is free (a link planted there is never
// followed), and it is removed when anything fails. Any thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace file_io {

enum class ReadResult { kOk, kMissing, kFailed };

// Reads the whole file; false (and `content` empty) when it cannot be read.
bool ReadAll(const std::string& path, std::string* content);
ReadResult ReadAllChecked(const std::string& path, std::string* content);
// The same for a file the caller writes itself: a link at the path (a
// symbolic link; a reparse point on Windows) is not followed, and it or
// anything else that is no regular file reads as kFailed.
ReadResult ReadAllNotFollowing(const std::string& path, std::string* content);

// The lines of a text, as views into it: split at LF, each dropping one CR
// at its end (the last one too, when the text is cut after it); a last
// line without a line end counts as a line. The one line splitter of every
// file the plug-in and its tools read.
std::vector<std::string_view> SplitLines(std::string_view content);

// Replaces the file's contents in one step (see above). The new file keeps
// the permission bits of the regular file it replaces (POSIX), so a private
// file stays private. On failure errno tells why when the platform said.
bool ReplaceContents(const std::string& path, const std::string& bytes);

// Where temporary names come from: the process's random source by default;
// tests hand in a known sequence to plant files at the names it gives.
using RandomBits = std::function<uint64_t()>;
bool ReplaceContents(const std::string& path, const std::string& bytes, const RandomBits& random);
uint64_t SystemRandomBits();

// The temporary name beside `path` for these bits: the path, a dot and six
// letters or digits.
std::string TempNameFor(const std::string& path, uint64_t bits);

// Creates `path` as a new file and opens it for binary writing; null (errno
// EEXIST) when anything already has that name, a symbolic link included:
// open(2) with O_CREAT|O_EXCL|O_NOFOLLOW on POSIX, CREATE_NEW on Windows.
std::FILE* CreateExclusive(const std::string& path);

// Opens an existing regular file for binary reading without following a
// link at `path`; null (errno ENOENT when there is nothing at the name)
// otherwise. O_NOFOLLOW on POSIX; FILE_FLAG_OPEN_REPARSE_POINT and a check
// of the attributes on Windows.
std::FILE* OpenNotFollowing(const std::string& path);

// Gives the new file `to` the permission bits of the regular file at
// `from`, when there is one (POSIX; nothing on Windows, where the folder's
// access rules apply to both alike).
void KeepPermissions(const std::string& from, std::FILE* to);

// Moves `from` over `to` in one step, replacing `to`: rename(2) on POSIX,
// MoveFileExA with MOVEFILE_REPLACE_EXISTING on Windows.
bool MoveReplacing(const std::string& from, const std::string& to);

}  // namespace file_io
