// The area grid's 31 boxes: the 28 area codes and the three island
// prefixes, each with its control in dialog 106, in the order of the grid's
// mark flags; and the marks for a band's worked-area list.
#pragma once

#include <string>
#include <vector>

#include "ui/window_surfaces.h"

struct AreaBox {
  const char* code;
  int control;
};

extern const AreaBox kAreaBoxes[31];

// A box is marked when its code stands in `worked` (exact comparison);
// texts that name no box are ignored.
AreaMarks MarksFor(const std::vector<std::string>& worked);
