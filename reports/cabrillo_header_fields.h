// The Cabrillo header's fields, one row each: where the header dialog keeps
// the value, which of its controls shows it, and how the settings file keeps
// it between exports. The export reads, round-trips and stores the header
// through this table and the dialog binds its controls with it, so a field
// is added in one place. Constant; any thread.
#pragma once

#include <string>

#include "engine/platform.h"

struct CabrilloHeaderField {
  std::string CabrilloDialogFields::*field;
  int control;        // the dialog's control; 0: not shown
  const char* key;    // in the settings file; null: not kept there
  const char* fixed;  // the dialog starts from this instead of the settings
  bool written;       // stored back after OK
  // Multi-line fields: the tag each extra line gets in the log.
  const char* continuation;
};

// In the order the keys are written back after OK (a new settings file
// lists them in that order).
extern const CabrilloHeaderField kCabrilloHeaderFields[17];

// The operator categories the dialog's category list offers, in its order.
// The box is editable, so a header may hold other text too; tools that take
// a category from the user offer exactly these.
extern const char* const kCabrilloCategories[7];
