#pragma once

#include <string>

#include "common/notifier.h"

namespace ketrel {

class SerialLink;

// The 写配置 transfer: compiles the configuration database into the image, writes it to the unit
// in eight blocks, reads it back, compares it and tells the unit to take it into use. Shows every
// message through the notifier and the block progress through the progress view. Returns true
// only when the unit holds and has taken the new image. The receive thread runs again afterwards
// on every path.
bool WriteConfiguration(SerialLink& link, const std::string& databasePath, Notifier& notifier,
                        Progress& progress);

// The 写卡 transfer: the card image of the Card table, written, read back and compared.
bool WriteCards(SerialLink& link, const std::string& databasePath, Notifier& notifier,
                Progress& progress);

}  // namespace ketrel
