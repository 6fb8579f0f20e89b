// The settings file a run of tzq-replay uses and writes back (--settings).
// It must be a regular file or missing (then it starts empty): a device, a
// FIFO or a folder is refused before anything is read, so that a run never
// blocks on it or replaces it. A symbolic link is followed to its target,
// which is read and written back in its place, in one step and keeping its
// permissions; a link that leads nowhere is refused. One thread.
#pragma once

#include <string>

// Reads the settings file named on the command line. `target` receives the
// path to write back to: the file itself, or the link's target, made
// absolute. Throws InputError (option --settings) for a file that may not
// be used or cannot be read.
std::string ReadSettingsFile(const std::string& path, std::string* target);

// Replaces the file at `target` (from ReadSettingsFile) with `content` in
// one step; false when it cannot.
bool WriteSettingsFile(const std::string& target, const std::string& content);
