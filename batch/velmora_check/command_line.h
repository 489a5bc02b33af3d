// What differs between Windows and POSIX at the batch checker's edges: how its arguments arrive
// and how its standard streams carry bytes.
#pragma once

#include <string>
#include <vector>

namespace velmora_check {

// The command-line arguments as UTF-8, the program's name first. POSIX passes bytes, which are
// kept; Windows passes UTF-16, whatever the code page of the console.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes the standard streams carry bytes unchanged (no CR added before LF on Windows, so the
// output is the same on every system) and lets a Windows console show UTF-8 names.
void UseByteStreams();

}  // namespace velmora_check
