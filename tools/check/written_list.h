// The list of the station reports that tzq-check wrote into an output
// folder: a hidden file there, so that a later run into the same folder can
// remove the reports of stations it no longer has, and only files it made.
// The folder is shared with people and their files, so the list is only
// ever a hint: a name in it is removed only when it still holds a report
// (results_writer.cpp checks). Replaced in one step; read without following
// a link. Any thread; no state.
#pragma once

#include <string>
#include <vector>

// The list's file name in the output folder.
constexpr const char* kWrittenListName = ".tzq-check-reports";

// The names the list in `folder` holds, in its order; none when there is no
// list, a link or anything but a regular file stands at its name, it is
// larger than any list would be, or it does not start with the list's own
// first line.
std::vector<std::string> ReadWrittenList(const std::string& folder);

// Replaces the list in `folder` with `names`. False (errno set where the
// system said why) when it could not be written.
bool WriteWrittenList(const std::string& folder, const std::vector<std::string>& names);
