#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ketrel {

// Writes the file whole or not at all: the data goes to a new file beside the target, which
// then replaces it, so a reader never sees half a file. A symbolic link is followed (the file it
// points to gets the data, the link stays); anything that is not a regular file in the target's
// place (a directory, a FIFO, a device) is refused. A replaced file keeps its mode, a new one is
// made readable. False with the reason.
bool WriteFileWhole(const std::string& path, std::string_view data, std::string& reason);

enum class ReadFailure { None, Missing, NotRegular, TooLarge, Other };

// Reads a regular file of at most maxSize bytes; a FIFO or a device in its place is refused at
// once instead of being waited on or read without end, and a larger file before it is read
// whole. ReadFailure::None on success; otherwise reason holds the system's words.
ReadFailure ReadRegularFile(const std::string& path, std::size_t maxSize, std::string& out,
                            std::string& reason);

// True when both paths name one existing file (symbolic links followed).
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace ketrel
