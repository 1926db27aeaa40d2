// Where the program finds its own files. In a build tree the module and the themes lie beside the
// executable; in an installation they lie in the installation's folders, found relative to the
// executable so that the installed tree works under any prefix and can be moved whole.
#pragma once

#include <string>

namespace InstallPaths {

// The folder of the running executable ("." when it cannot be told).
std::string ProgramFolder();

// The first that exists of programFolder/beside and programFolder/installed; the installed one
// when neither exists, so that a message names where the file belongs.
std::string Find(const std::string& programFolder, const std::string& beside, const std::string& installed);

// The theme folder and the fund-comparison module for a program in programFolder.
std::string ThemeFolder(const std::string& programFolder);
std::string ModuleFile(const std::string& programFolder);

} // namespace InstallPaths
