#pragma once

#include <functional>
#include <string>

namespace ketrel {

class DialogRunner;
class Notifier;

// What a channel editor needs from the window that opens it.
struct ChannelEditorContext {
    std::string databasePath;  // CONFIG
    std::string devicesPath;   // the projector code library DEVICES (serial channels only)
    Notifier& notifier;
    DialogRunner& dialogs;  // runs the code editor and the projector import
    // Called after the editor wrote the channel's settings, so the channel list that opened it
    // shows what the database holds now.
    std::function<void()> channelsChanged;
};

}  // namespace ketrel
