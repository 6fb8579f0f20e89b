// Reads the file version out of a Windows executable's version resource
// (VS_FIXEDFILEINFO of the first RT_VERSION resource), as VerQueryValueA with
// the sub-block "\" gives it. Portable: it parses the PE file's bytes itself.
#pragma once

#include <cstdint>
#include <string>

// False when the bytes are no PE image or carry no readable fixed info.
bool ReadPeFileVersion(const std::string& image, uint32_t* ms, uint32_t* ls);
