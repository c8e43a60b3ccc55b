#pragma once

#include <string>

// The installation folder, shared by the mail and address-book programs:
// [Main] install of larkspire.ini in the Windows directory, else the program
// folder with its trailing separator.
std::string GetInstallDir();
