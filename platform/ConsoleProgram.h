#pragma once

#include <string>
#include <vector>

// What a console program needs of its platform before it starts: its
// arguments after the program's name, in the encoding file names are taken
// in (bytes on POSIX, UTF-8 on Windows) and with their wildcards expanded
// where no shell does it (Windows); and standard input, output and error
// that carry UTF-8, whatever the console's code page.
std::vector<std::string> StartConsoleProgram(int argc, char** argv);
