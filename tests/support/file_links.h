// PlantLink: makes `link` a symbolic link to `target`, the way an attacker
// with write access to the working folder would, so tests can check that
// the plug-in never writes through one. Any thread.
#pragma once

#include <string>

// False when the platform would not make the link.
bool PlantLink(const std::string& target, const std::string& link);
