#pragma once

#include <string>

// Finds a loadable module of ours beside the executable or in the installed module
// folder, loads it for the life of the process and answers the address of one of its
// symbols; nullptr with the reason in error when neither place has it.
void* LoadModuleSymbol(const std::string& moduleName, const char* symbol, std::string& error);
