// The help page beside the program, and what the user is told when the shell cannot open it.
#pragma once
#include <cstdint>
#include <string>

namespace velmora {

// exeDir ends with a backslash.
std::string HelpPagePath(const std::string& exeDir);

// The system error code that a ShellExecute result of 32 or below stands for: the shell's
// own codes (no association, DDE, sharing, a missing library) become the system's, whose
// texts the system has; 0 means it ran out of memory.
std::uint32_t ShellExecuteErrorCode(std::intptr_t result);

// The message naming the page and the system's reason (its trailing line break dropped).
std::string HelpNotOpenedText(const std::string& path, const std::string& reason);

}  // namespace velmora
