#include "InstallRecord.h"
#include <algorithm>
#include <set>
#include <utility>

namespace {
const std::pair<RecordKind, const char*> kKindNames[] = {
    {RecordKind::directory, "directory"}, {RecordKind::file, "file"},     {RecordKind::sharedFile, "shared"},
    {RecordKind::typeLib, "typelib"},     {RecordKind::server, "server"},
};

bool ParseLine(const std::string& line, RecordEntry& entry) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos || tab + 1 == line.size()) return false;
    const std::string kind = line.substr(0, tab);
    for (const auto& [k, name] : kKindNames) {
        if (kind == name) {
            entry = {k, line.substr(tab + 1)};
            return entry.path.find('\t') == std::string::npos;
        }
    }
    return false;
}
}  // namespace

std::string ComposeRecordLine(const RecordEntry& entry) {
    for (const auto& [k, name] : kKindNames)
        if (k == entry.kind) return std::string(name) + "\t" + entry.path + "\r\n";
    return std::string();
}

bool ParseRecord(const std::string& text, std::vector<RecordEntry>& entries, int& nBadLine) {
    entries.clear();
    nBadLine = 0;
    size_t pos = 0;
    for (int nLine = 1; pos < text.size(); ++nLine) {
        size_t end = text.find('\n', pos);
        const bool bTerminated = end != std::string::npos;
        if (!bTerminated) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        RecordEntry entry;
        if (ParseLine(line, entry)) {
            entries.push_back(entry);
        } else if (bTerminated) {
            nBadLine = nLine;
            entries.clear();
            return false;
        }
    }
    return true;
}

std::vector<RecordEntry> RemovalOrder(const std::vector<RecordEntry>& entries) {
    static const RecordKind kOrder[] = {RecordKind::server, RecordKind::typeLib, RecordKind::file,
                                        RecordKind::sharedFile, RecordKind::directory};
    std::vector<RecordEntry> order;
    for (RecordKind kind : kOrder) {
        std::set<std::string> seen;
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            if (it->kind != kind) continue;
            if (kind != RecordKind::sharedFile && !seen.insert(it->path).second) continue;
            order.push_back(*it);
        }
    }
    return order;
}

DWORD RaisedSharedCount(bool bCounted, DWORD nCount, bool bFileExisted) {
    if (!bCounted) return bFileExisted ? 2 : 1;
    return nCount + 1;
}

SharedRelease ReleaseSharedCount(bool bCounted, DWORD nCount) {
    if (!bCounted) return {false, false, 0};
    if (nCount <= 1) return {true, true, 0};
    return {false, false, nCount - 1};
}
