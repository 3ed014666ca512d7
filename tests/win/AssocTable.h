// The association table of real_assoc.txt: what each verb of real_assoc.reg must do. Read by
// the in-process Windows test and by the end-to-end client, so both run the same rows.
#pragma once
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

struct AssocRow {
    std::string key, verb, document;
    short code = 0;
    std::string log;   // the program's log, environment variables expanded; empty for none
    std::string line;  // the line the log must hold
};

inline std::vector<AssocRow> ReadAssocTable(const char* path) {
    std::vector<AssocRow> rows;
    FILE* f = std::fopen(path, "rb");
    if (!f) return rows;
    char buf[2048];
    while (std::fgets(buf, sizeof buf, f)) {
        std::string line = buf;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        for (size_t pos = 0;;) {
            size_t bar = line.find(" | ", pos);
            fields.push_back(line.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos));
            if (bar == std::string::npos) break;
            pos = bar + 3;
        }
        if (fields.size() != 6) continue;
        AssocRow r{fields[0], fields[1], fields[2], static_cast<short>(std::atoi(fields[3].c_str())), "", ""};
        if (fields[4] != "-") {
            char expanded[MAX_PATH * 2];
            DWORD n = ::ExpandEnvironmentStringsA(fields[4].c_str(), expanded, sizeof expanded);
            r.log = n && n <= sizeof expanded ? expanded : fields[4];
            r.line = fields[5];
        }
        rows.push_back(r);
    }
    std::fclose(f);
    return rows;
}

// Whether the log holds the line, waiting up to ms for a program started without waiting.
inline bool LogHolds(const std::string& log, const std::string& line, DWORD ms = 10000) {
    for (DWORD waited = 0;; waited += 100) {
        if (FILE* f = std::fopen(log.c_str(), "rb")) {
            char buf[2048];
            bool found = false;
            while (!found && std::fgets(buf, sizeof buf, f)) {
                std::string l = buf;
                while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.pop_back();
                found = l == line;
            }
            std::fclose(f);
            if (found) return true;
        }
        if (waited >= ms) return false;
        ::Sleep(100);
    }
}
