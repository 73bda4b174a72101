// The desktop shell: opening documents and programs the way the user's double click does.
#pragma once

#include <windows.h>

#include <string>

// Asks the shell to "open" a file (a document with its associated program, a program
// itself, a folder). True when the shell started it; false when it could not (no such
// file, no associated program, access denied ...).
bool ShellExecuteOpen(const std::string& file, const std::string& parameters = {},
                      const std::string& directory = {}, int show = SW_SHOWNORMAL);
