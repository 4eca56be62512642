#pragma once

#include <string>

// Runs a shell command and returns what it wrote to standard output ("" when it
// could not be started).
std::string runCommand(const std::string &command);
