// The local pane's listing: a folder of 20,000 files listed and sorted by the core (each of the
// sorted orders) against `ls -l` of the same folder in the same order, best of 3 each.
//
//   bench_local_list [FILES] [RUNS]
//
// `ls` runs as its own process with LC_ALL=C (byte order, like the pane) and its output
// thrown away; the core runs in this process. Ratio = core / ls (below 1: the core is faster).
#include "BenchSupport.h"
#include "core/local/LocalSort.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace pw;
using bench::BestOf;

namespace {
using Clock = std::chrono::steady_clock;

// Runs `ls` with the arguments, output to /dev/null; false when it fails.
bool RunLs(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("ls"));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> env{const_cast<char*>("LC_ALL=C"), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "ls", &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// FILES files with mixed names, extensions and sizes, and a few folders.
bool MakeFolder(const std::string& dir, int files) {
    static const char* kExt[] = {".html", ".txt", ".jpg", "", ".tar.gz", ".css"};
    std::string buffer(4096, 'x');
    for (int i = 0; i < files; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%05d%s", (i % 3 == 0) ? "Page" : "img_",
                      (i * 7919) % 100000, kExt[i % 6]);
        const int fd = ::open((dir + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) return false;
        const size_t size = size_t(i % 4096);
        const bool ok = ::write(fd, buffer.data(), size) == ssize_t(size);
        ::close(fd);
        if (!ok) return false;
    }
    for (int i = 0; i < 50; ++i)
        if (::mkdir((dir + "/folder" + std::to_string(i)).c_str(), 0755) != 0) return false;
    return true;
}
} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    if (files <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: bench_local_list [FILES] [RUNS]\n");
        return 1;
    }
    char pattern[] = "/tmp/bench_local_list-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = pattern;
    std::error_code ignored;
    if (!MakeFolder(dir, files)) {
        std::fprintf(stderr, "cannot fill %s\n", dir.c_str());
        std::filesystem::remove_all(dir, ignored);
        return 1;
    }
    // Warm the caches for both sides alike.
    ListLocalPane(dir, LocalSortMode::Name);
    RunLs({"-l", dir});

    struct Order {
        LocalSortMode mode;
        std::vector<std::string> lsArgs;
    };
    const Order orders[] = {{LocalSortMode::Unsorted, {"-l", "-U"}},
                            {LocalSortMode::Name, {"-l"}},
                            {LocalSortMode::Time, {"-l", "-t"}},
                            {LocalSortMode::Size, {"-l", "-S"}},
                            {LocalSortMode::Extension, {"-l", "-X"}}};
    std::printf("%d files + 50 folders, best of %d\n", files, runs);
    std::printf("%-10s %12s %12s %8s\n", "order", "core ms", "ls -l ms", "ratio");
    bool ok = true;
    for (const auto& order : orders) {
        size_t rows = 0;
        const double core = BestOf(runs, [&] {
            const LocalListing listing = ListLocalPane(dir, order.mode);
            ok = ok && listing.Ok;
            rows = listing.Rows.size();
        });
        auto lsArgs = order.lsArgs;
        lsArgs.push_back(dir);
        const double ls = BestOf(runs, [&] { ok = RunLs(lsArgs) && ok; });
        std::printf("%-10s %12.2f %12.2f %8.2f   (%zu rows)\n", LocalSortModeName(order.mode), core,
                    ls, core / ls, rows);
    }
    std::filesystem::remove_all(dir, ignored);
    if (!ok) std::fprintf(stderr, "a listing failed\n");
    return ok ? 0 : 1;
}
