// Runs the batch checker as a process through a POSIX shell, as people and scripts do.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "test_files.h"

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& arg)
{
    std::string quoted = "'";
    for (const char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// `input` is a shell redirection or pipe source for standard input: "</dev/null" unless given.
inline RunResult RunCommand(const std::string& command, const std::filesystem::path& scratch,
                            const std::string& input = "</dev/null")
{
    const auto out = scratch / "stdout";
    const auto err = scratch / "stderr";
    const std::string line = command + " " + input + " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string());
    const int raw = std::system(line.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(out), ReadWholeFile(err)};
}

// Standard input read from the file.
inline std::string InputFrom(const std::filesystem::path& file)
{
    std::string redirection = "<";
    redirection += ShellQuote(file.string());
    return redirection;
}

inline std::string CheckCommand(const std::vector<std::string>& args)
{
    std::string command = ShellQuote(VELMORA_CHECK);
    for (const auto& arg : args) {
        command += ' ';
        command += ShellQuote(arg);
    }
    return command;
}
