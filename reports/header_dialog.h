// HeaderDialog: the modal Cabrillo header dialog (`Cabrillo`, template 101)
// behind an interface. The DLL runs the real dialog; the headless build
// answers as if OK were pressed without edits unless a test scripts another
// answer. Called on the host's thread inside ResetStats0; blocks until the
// user closes the dialog.
#pragma once

#include <string>

// The values the dialog shows and edits. Soapbox and operators hold plain
// CR LF line breaks while the dialog has them.
struct CabrilloDialogFields {
  std::string callsign, claimed, club, category, contest, email, name, operators, soapbox, address,
      band, power, location, transmitter, city, postalCode, country;
};

class HeaderDialog {
 public:
  virtual ~HeaderDialog() = default;
  // Shows `fields`; true when the user confirmed with OK (then `fields`
  // holds the edited values), false for CANCEL, Escape or the close box
  // (then `fields` is unchanged).
  virtual bool Run(CabrilloDialogFields* fields) = 0;
};
