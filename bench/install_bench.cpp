// The installer's file step against its floor, in one run under one system:
//   (1) the installer's own code: fileList.txt read, each entry parsed, located and installed
//       with the silent forced retry (the code behind the installation directory dialog's OK);
//   (2) the floor: VerFindFileA + VerInstallFileA called directly on the same files in one loop;
//   (3) CopyFileA of the same files, for scale.
// Usage: install_bench WORKDIR N [ROUNDS]   (files of 64 KiB; each way gets fresh directories
// every round; the median round counts)
#include "../install/InstallLists.h"
#include "../install/services/InstallFile.h"
#include <windows.h>
#include <winver.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string Name(int i) { return "file" + std::to_string(i) + ".dat"; }
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: install_bench WORKDIR N [ROUNDS]\n");
        return 2;
    }
    const std::string work = argv[1];
    const int n = std::atoi(argv[2]);
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    const std::string medium = work + "\\medium";
    ::CreateDirectoryA(medium.c_str(), nullptr);
    std::vector<char> data(64 * 1024);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + 7);
    std::string list;
    for (int i = 0; i < n; ++i) {
        if (FILE* f = std::fopen((medium + "\\" + Name(i)).c_str(), "wb")) {
            std::fwrite(data.data(), 1, data.size(), f);
            std::fclose(f);
        }
        list += " @" + Name(i) + "@0@" + Name(i) + "@ @\n";
    }
    if (FILE* f = std::fopen((medium + "\\fileList.txt").c_str(), "wb")) {
        std::fputs(list.c_str(), f);
        std::fclose(f);
    }
    ::SetCurrentDirectoryA(medium.c_str());

    std::vector<double> installer, floor, copy;
    int failures = 0;
    for (int r = 0; r < rounds; ++r) {
        const std::string suffix = std::to_string(r);
        // (1) the installer's file step.
        {
            const std::string dest = work + "\\inst" + suffix;
            CInstallFile::InitDirectories(dest.c_str());
            CInstallFile::CreateInstallDir();
            auto t0 = Clock::now();
            FILE* f = std::fopen("fileList.txt", "r");
            BOOL ok = InstallFileList(f, [](const CError&, UINT) { return IDABORT; });
            std::fclose(f);
            installer.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
            failures += !ok;
        }
        // (2) the floor: the service alone.
        {
            const std::string dest = work + "\\floor" + suffix;
            ::CreateDirectoryA(dest.c_str(), nullptr);
            char win[MAX_PATH];
            ::GetWindowsDirectoryA(win, MAX_PATH);
            auto t0 = Clock::now();
            for (int i = 0; i < n; ++i) {
                const std::string name = Name(i);
                char cur[MAX_PATH] = {}, dst[MAX_PATH] = {}, tmp[MAX_PATH] = {};
                UINT curLen = MAX_PATH, dstLen = MAX_PATH, tmpLen = MAX_PATH;
                ::VerFindFileA(0, const_cast<char*>(name.c_str()), win, const_cast<char*>(dest.c_str()), cur, &curLen, dst, &dstLen);
                DWORD res = ::VerInstallFileA(VIFF_DONTDELETEOLD, const_cast<char*>(name.c_str()), const_cast<char*>(name.c_str()),
                                              const_cast<char*>(medium.c_str()), dst, cur, tmp, &tmpLen);
                failures += res != 0;
            }
            floor.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
        }
        // (3) a plain copy.
        {
            const std::string dest = work + "\\copy" + suffix;
            ::CreateDirectoryA(dest.c_str(), nullptr);
            auto t0 = Clock::now();
            for (int i = 0; i < n; ++i)
                failures += !::CopyFileA((medium + "\\" + Name(i)).c_str(), (dest + "\\" + Name(i)).c_str(), FALSE);
            copy.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
        }
    }
    const double a = Median(installer), b = Median(floor), c = Median(copy);
    std::printf("%-52s %9s %10s\n", "way (median of rounds)", "seconds", "files/s");
    std::printf("%-52s %9.3f %10.1f\n", "(1) installer's file step (list, parse, find, install)", a, n / a);
    std::printf("%-52s %9.3f %10.1f\n", "(2) floor: VerFindFileA + VerInstallFileA loop", b, n / b);
    std::printf("%-52s %9.3f %10.1f\n", "(3) CopyFileA loop", c, n / c);
    std::printf("(1)/(2): %.2fx (target <= 1.2x)   (1)/(3): %.2fx\n", a / b, a / c);
    if (failures) std::printf("failed steps: %d\n", failures);
    return failures ? 1 : 0;
}
