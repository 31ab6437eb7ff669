#include "BatchFile.h"

#include <cstdio>

#include "TvCommon.h"

namespace {

// Single quotes keep the shell from interpreting anything in the path.
std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

}  // namespace

std::string RunBatchFile(const std::string& path) {
    // Through the interpreter, so that a script without execute bit runs too.
    const std::string command = "/bin/sh " + ShellQuoted(path);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Error opening console.";
        return {};
    }
    std::string output;
    char piece[255];
    while (std::fgets(piece, sizeof piece, pipe)) output += piece;
    pclose(pipe);
    return output;
}
