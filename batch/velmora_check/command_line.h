// What differs between Windows and POSIX at the batch checker's edges: how its arguments arrive,
// how its standard streams carry bytes, what a terminal is, and how paths separate folders.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace velmora_check {

// The command-line arguments as UTF-8, the program's name first. POSIX passes bytes, which are
// kept; Windows passes UTF-16, whatever the code page of the console.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes the standard streams carry bytes unchanged (no CR added before LF on Windows, so the
// output is the same on every system) and lets a Windows console show UTF-8 names.
void UseByteStreams();

// Whether the stream is a terminal (a console window on Windows), where progress is shown.
bool IsTerminal(std::FILE* stream);

// The characters that end a folder's name in a path as given: '/' everywhere, '\\' too on Windows.
std::string_view PathSeparators();

}  // namespace velmora_check
