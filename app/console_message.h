// A message for whoever started the program from a console or a script: the
// command line's usage, its refusals and what an export wrote.
#pragma once
#include <string>

// Written to the standard output (a problem to the standard error) when the
// program was handed one, else to the console of the process that started it;
// shown in a message box when there is neither (started from the shell).
void TellUser(const std::string& text, bool problem);
