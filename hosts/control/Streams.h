#pragma once
// dlna-control's own output, kept apart from the library's log, which the
// library writes to standard output and error.
#include <cstdio>

// The program's answers and its failure lines.
std::FILE* Out();
std::FILE* Err();

// From here on the library's log goes to /dev/null, or with `verbose` to
// standard error; Out and Err keep the streams the program was given.
void SeparateLibraryLog(bool verbose);
