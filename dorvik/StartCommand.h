// How a verb's command line becomes the program and arguments of an application start.
#pragma once
#include <string>
#include <vector>

// A token that holds a double quote anywhere loses its first character and ends at the
// next double quote (when there is one): "C:\Program Files\app.exe" gives the bare path.
void StripQuotes(std::string& token);

// The arguments that start the application for a document: the first one names the program
// (without trailing blanks), the document comes last when the command line has a %1 or "%1"
// (or %L, the shell's long-name form).
// Empty when the command line names no program.
std::vector<std::string> SplitStartCommand(const std::string& document, const std::string& commandLine);

// The text as one command-line word: in double quotes when it holds a blank and no quote.
std::string QuoteIfBlank(const std::string& text);
