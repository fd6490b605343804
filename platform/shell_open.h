// Hands a file or an address to the shell, which opens it with the program
// the system associates with it.
#pragma once

// Shows no error of the shell's own: a target without a program, or one that
// is gone, simply opens nothing. False then.
bool OpenWithShell(const char* target);
