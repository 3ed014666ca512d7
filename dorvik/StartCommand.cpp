#include "StartCommand.h"

void StripQuotes(std::string& token) {
    if (token.find('"') == std::string::npos) return;
    token.erase(0, 1);
    std::string::size_type q = token.find('"');
    if (q != std::string::npos) token.erase(q);
}

std::string QuoteIfBlank(const std::string& text) {
    if (text.find(' ') != std::string::npos && text.find('"') == std::string::npos) return '"' + text + '"';
    return text;
}

std::vector<std::string> SplitStartCommand(const std::string& document, const std::string& commandLine) {
    std::string programPart = commandLine;
    bool hasPlaceholder = true;
    // %L is the shell's other name for the document (its long form); a verb written with it
    // would otherwise start its program without the document and still report success.
    std::string::size_type at = std::string::npos;
    for (const char* placeholder : {"\"%1\"", "%1", "\"%L\"", "%L", "\"%l\"", "%l"})
        if ((at = commandLine.find(placeholder)) != std::string::npos) break;
    if (at != std::string::npos)
        programPart = commandLine.substr(0, at);
    else
        hasPlaceholder = false;

    std::vector<std::string> args;
    std::string::size_type slash = programPart.find('/');
    std::string program = programPart.substr(0, slash);
    StripQuotes(program);
    program.erase(program.find_last_not_of(' ') + 1);  // npos + 1 == 0 clears an all-blank path
    if (program.empty()) return args;
    args.push_back(program);

    if (slash != std::string::npos) {
        // Switches after the program: split at runs of blanks, the cut "/" goes back on the first.
        const std::string rest = programPart.substr(slash + 1);
        bool first = true;
        std::string::size_type pos = 0;
        while ((pos = rest.find_first_not_of(' ', pos)) != std::string::npos) {
            std::string::size_type end = rest.find(' ', pos);
            std::string piece = rest.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            StripQuotes(piece);
            args.push_back(first ? '/' + piece : piece);
            first = false;
            pos = end;
        }
    }
    if (hasPlaceholder) args.push_back(QuoteIfBlank(document));  // a client's own quotes stay
    return args;
}
