// Robot modules through dlopen, and the check that a file is a whole shared
// library before the dynamic loader is let near it.
#pragma once

#include "System.h"

#include <string>

namespace platform {

// "<Name>" opens <Name>.so from the executable's folder, else from `currentDirectory`.
// A file there that is not a whole shared library counts as one that cannot be opened.
Module* OpenModule(const std::string& bareName, const std::string& currentDirectory);
void* ModuleFunction(Module* module, const char* name);
void CloseModule(Module* module);

// A regular file holding a 64-bit ELF shared library of this machine whose
// program headers and loadable segments all lie inside it: the dynamic loader
// would otherwise block on a FIFO or fault on pages past the end of the file.
bool IsWholeSharedLibrary(const std::string& path);

}  // namespace platform
