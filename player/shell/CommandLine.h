#pragma once

#include <string>

// The three command-line strings the player looks at; empty unless given.
struct CommandLineArgs {
    std::wstring program;
    std::wstring first;
    std::wstring second;
};

// Splits with the platform's argument splitter; keeps arguments 0 to 2.
void SplitCommandLine(const wchar_t* commandLine, CommandLineArgs& args);

// "-trova" (any case) followed by a "trova://" link with something after the prefix.
// Lower-cases the first argument in place.
bool IsLinkRequest(CommandLineArgs& args);

// The link of a link request in the form the player hands on (ComposeLink); empty when the
// command line requests none or its link does not parse. Lower-cases the first argument in place.
std::wstring RequestedLink(CommandLineArgs& args);

// "-startmin" in any case. Lower-cases the first argument in place.
bool IsStartMinimised(CommandLineArgs& args);
