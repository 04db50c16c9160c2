#pragma once

#include <string>

namespace ketrel {

// The per-user marker that the program has run before: <config>/HDMIVardo/HDMIVardo.conf
// holding Author=kovastrine.
std::string FirstRunMarkerPath();

bool HasFirstRunMarker();
// Creates the marker; failures are silent (the next start then counts as a first run again).
void WriteFirstRunMarker();

}  // namespace ketrel
