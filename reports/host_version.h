// The host program's version as the Cabrillo "CREATED-BY" line names it,
// found through the platform's file listing.
#pragma once

#include <string>

#include "engine/platform.h"

// "major.minor" for a major version of 2, else "major.minor.build", from the
// first listed executable whose name contains "Kolm"; empty when none
// matches or it has no readable version.
std::string HostVersionText(HostExecutables& executables);
