#pragma once
// The one thing the command line says: a code to open (as a medical information system
// launches a reference), or a request for the usage or the version.
#include <string>
#include <vector>

struct TCommandLine {
    enum TAction { clRun, clHelp, clVersion, clError } Action{clRun};
    std::string Code;  // UTF-8 as given; empty: start as usual
    std::string Error; // for clError: what was wrong, in a sentence
    // --self-check: once the window shows, the number of classes its tree holds is printed and
    // the program ends; the check that a built program starts and loads its classification.
    bool SelfCheck{false};
};

// The arguments after the program's name.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// What --help prints.
extern const char* const UsageText;

// Exit status for a command line that cannot be read.
constexpr int CommandLineErrorStatus = 2;
