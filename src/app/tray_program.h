#pragma once

namespace ketrel {

namespace cli {
struct GlobalOptions;
}

// The tray program: one copy per user, the main window and the event loop. Returns the exit
// status; a second copy returns 0 at once without a window or a message.
int RunTrayProgram(int argc, char** argv, const cli::GlobalOptions& options);

}  // namespace ketrel
