// Which run of dorvik a command line asks for.
#pragma once
#include <string>

// Looks for the framework switch "-name" or "/name" (any case) as a word of the command line
// and removes it, with the blanks that follow it. True when it was there.
bool TakeSwitch(std::string& cmdLine, const char* name);

// Server mode for "Embedding" (tested first) or "Automation"; the switch found is removed
// from cmdLine. Any other command line asks for the class registration.
bool TakeServerSwitch(std::string& cmdLine);

enum class ServerRun { Serve, Register, Unregister };

// What a run is for: serving (the server switches come first), "UnregServer", or else the
// registration, which "RegServer" asks for as an empty or any other command line does. The
// switch found is removed from cmdLine.
ServerRun TakeRunSwitch(std::string& cmdLine);
