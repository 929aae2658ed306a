#pragma once

#include <string>
#include <vector>

// What a console program needs of its platform before it starts: its
// arguments after the program's name, in the encoding file names are taken
// in (bytes on POSIX, UTF-8 on Windows), and standard output and error that
// pass UTF-8 through unchanged.
std::vector<std::string> StartConsoleProgram(int argc, char** argv);
