#pragma once

#include <memory>

#include "pc_actions.h"

namespace ketrel {

// The PC actions of this desktop: keys, power, display modes, starting a program.
std::unique_ptr<PcActions> CreateDesktopPcActions();

}  // namespace ketrel
