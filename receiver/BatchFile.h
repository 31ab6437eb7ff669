#pragma once
#include <string>

// Runs a script through /bin/sh and returns what it printed on standard
// output, unchanged. The exit code is not looked at; standard error is not
// captured. When no pipe can be opened the text is empty.
std::string RunBatchFile(const std::string& path);
