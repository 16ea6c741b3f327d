#pragma once
// Asking for a password on the terminal without showing what is typed.
#include <optional>
#include <string>

// Writes `prompt` to standard error and reads one line from standard input with echo off,
// restoring the terminal afterwards (also when a signal ends the program meanwhile).
// Nothing when standard input is not a terminal or cannot be read.
std::optional<std::string> ReadPasswordFromTerminal(const std::string& prompt);
