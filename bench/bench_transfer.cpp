// The transfer queue and its worker moving files to and from scripts/ftp-server.py on loopback,
// each timed against a peer moving the same files to the same server in the same run:
//   many small files uploaded in order over one connection, against lftp's mput;
//   a few big files uploaded and downloaded, against curl with all files in one invocation
//   (curl then keeps one connection for them, as the worker does).
// Every side works in active mode (libcurl 7.88 sometimes stalls a second before an EPSV data
// connection, which would swamp the figures). Each side's files go to a folder of their own,
// emptied before every run, and are checked (sizes, and the bytes at both ends of each file)
// after it, so a failed transfer cannot pass for a fast one. The runs alternate which side
// goes first; the best run of each side is compared.
//
// Sizes from the environment: PW_BENCH_SMALL_FILES (1000) files of PW_BENCH_SMALL_BYTES
// (1024) bytes; PW_BENCH_BIG_FILES (10) files of PW_BENCH_BIG_MB (100) MiB; PW_BENCH_RUNS (5).
// PW_BENCH_SERVER_LOG=FILE has the server log every command it receives (BenchProcesses.h).
#include "BenchProcesses.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/transfer/TransferQueue.h"
#include "core/transfer/TransferWorker.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace pw;
using namespace bench;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Thrown on any failure; main reports it after the server and the files are gone.
struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void die(const std::string& message) {
    throw BenchFailure(message);
}

long EnvNumber(const char* name, long fallback, long least) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < least)
        die(std::string(name) + " must be a number of at least " + std::to_string(least));
    return value;
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t at = 0;
    while (at <= dirs.size()) {
        size_t end = dirs.find(':', at);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(at, end - at) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        at = end + 1;
    }
    return false;
}

// A file of `bytes` bytes that differ from file to file (`seed`), written without syncing.
void WriteSampleFile(const fs::path& path, uint64_t bytes, uint64_t seed) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) die("cannot create " + path.string());
    std::vector<uint64_t> block(1 << 16);
    uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    for (uint64_t left = bytes; left > 0;) {
        for (uint64_t& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        const size_t n = size_t(std::min<uint64_t>(left, block.size() * sizeof(uint64_t)));
        if (std::fwrite(block.data(), 1, n, file) != n) die("cannot write " + path.string());
        left -= n;
    }
    if (std::fclose(file) != 0) die("cannot write " + path.string());
}

std::string ReadRange(const fs::path& path, uint64_t offset, size_t count) {
    std::string bytes(count, '\0');
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {};
    const bool ok = fseeko(file, off_t(offset), SEEK_SET) == 0 &&
                    std::fread(bytes.data(), 1, count, file) == count;
    std::fclose(file);
    return ok ? bytes : std::string();
}

// Whether `copy` has the size of `original` and the same bytes in its first and last 64 KiB
// (all of it for a small file).
bool SameFile(const fs::path& original, const fs::path& copy) {
    std::error_code error;
    const uint64_t size = fs::file_size(original, error);
    if (error || fs::file_size(copy, error) != size || error) return false;
    const size_t edge = size_t(std::min<uint64_t>(size, 64 * 1024));
    return ReadRange(original, 0, edge) == ReadRange(copy, 0, edge) &&
           ReadRange(original, size - edge, edge) == ReadRange(copy, size - edge, edge);
}

void Verify(const std::vector<fs::path>& originals, const fs::path& folder, const char* what) {
    for (const fs::path& original : originals)
        if (!SameFile(original, folder / original.filename()))
            die(std::string(what) + ": " + (folder / original.filename()).string() +
                " is missing or differs from " + original.string());
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++count;
    if (count != originals.size())
        die(std::string(what) + ": " + std::to_string(count) + " files in " + folder.string() +
            ", expected " + std::to_string(originals.size()));
}

// Removes what `folder` holds, making it when missing. The folder itself stays: the client
// goes back to the folder it was last in when it connects again.
void EmptyFolder(const fs::path& folder) {
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(folder))
        fs::remove_all(entry.path());
}

// A queue, a client and a worker that runs on the calling thread until every job of a batch
// has ended.
class QueueRig {
public:
    QueueRig() {
        m_ftp.SetPassive(false);
        m_ftp.SetConnectTimeout(10000);
        TransferEvents events;
        events.OnJobFinished = [this](const TransferJob&) {
            if (++m_ended == m_expected) m_stop.request_stop();
        };
        events.OnJobFailed = [this](const TransferJob& job) {
            if (m_failure.empty()) m_failure = job.Caption() + ": " + job.Reason;
            m_stop.request_stop();
        };
        m_worker = std::make_unique<TransferWorker>(m_queue, m_ftp, std::move(events));
    }

    // Queues the jobs and runs them; dies when one of them fails.
    void Run(std::vector<TransferJob> jobs) {
        m_ended = 0;
        m_expected = jobs.size();
        m_failure.clear();
        m_stop = std::stop_source();
        m_queue.EnqueueTransfer(std::move(jobs));
        m_worker->Run(m_stop.get_token());
        if (!m_failure.empty()) die("the queue failed a job: " + m_failure);
        if (!m_queue.Jobs().empty()) die("the queue still holds jobs");
    }

private:
    TransferQueue m_queue;
    TSimpleFTP m_ftp;
    std::unique_ptr<TransferWorker> m_worker;
    std::stop_source m_stop;
    size_t m_ended = 0;
    size_t m_expected = 0;
    std::string m_failure;
};

std::vector<TransferJob> Jobs(bool upload, const std::vector<fs::path>& files,
                              const fs::path& localFolder, const std::string& remoteFolder,
                              const std::string& host) {
    std::vector<TransferJob> jobs;
    for (const fs::path& file : files) {
        TransferJob job;
        job.Record.Upload = upload;
        job.Record.LocalFile = (localFolder / file.filename()).string();
        job.Record.RemoteFile = file.filename().string();
        job.Record.RemoteFolder = remoteFolder;
        job.Record.ServerHost = host;
        job.Record.ServerUser = "anonymous";
        job.Record.ServerPassword = "bench@";
        jobs.push_back(std::move(job));
    }
    return jobs;
}

double Milliseconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
    double ours = 1e300;
    double peer = 1e300;
};

// `runs` rounds of both sides, taking turns at going first; each side's `prepare` (not timed)
// before and `verify` (not timed) after each of its runs. The best time of each side.
struct Side {
    std::function<void()> prepare, work, verify;
};
Figures Compare(int runs, const Side& ours, const Side& peer) {
    Figures best;
    auto once = [](const Side& side, double& into) {
        side.prepare();
        into = std::min(into, Milliseconds(side.work));
        side.verify();
    };
    for (int i = 0; i < runs; ++i) {
        if (i % 2 == 0) {
            once(ours, best.ours);
            once(peer, best.peer);
        } else {
            once(peer, best.peer);
            once(ours, best.ours);
        }
    }
    return best;
}

void PrintRow(const char* what, const char* peerName, const Figures& f) {
    std::printf("  %-34s %10.1f ms   %-12s %10.1f ms   ratio %5.2f\n", what, f.ours, peerName,
                f.peer, f.ours / f.peer);
}

void PrintSkipped(const char* what, const char* peerName) {
    std::printf("  %-34s skipped: %s is not installed (scripts/install-deps installs it)\n", what,
                peerName);
}

// The whole bench in `work`, which the caller removes afterwards.
void Bench(const fs::path& work) {
    const long smallCount = EnvNumber("PW_BENCH_SMALL_FILES", 1000, 1);
    const long smallBytes = EnvNumber("PW_BENCH_SMALL_BYTES", 1024, 1);
    const long bigCount = EnvNumber("PW_BENCH_BIG_FILES", 10, 1);
    const long bigMiB = EnvNumber("PW_BENCH_BIG_MB", 100, 1);
    const int runs = int(EnvNumber("PW_BENCH_RUNS", 5, 1));
    const bool haveLftp = OnPath("lftp");
    const bool haveCurl = OnPath("curl");

    const fs::path root = work / "root";
    fs::create_directories(root / "src");
    fs::create_directories(work / "small");
    fs::create_directories(work / "big");

    std::vector<fs::path> small, big;
    for (long i = 0; i < smallCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "small%05ld.dat", i);
        small.push_back(work / "small" / name);
        WriteSampleFile(small.back(), uint64_t(smallBytes), uint64_t(i) + 1);
    }
    for (long i = 0; i < bigCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "big%02ld.bin", i);
        big.push_back(work / "big" / name);
        WriteSampleFile(big.back(), uint64_t(bigMiB) << 20, uint64_t(i) + 1000003);
        // The server's copy to download, the same file under a second name.
        fs::create_hard_link(big.back(), root / "src" / name);
    }

    {
        LocalServer server(root.string());
        const std::string url = "ftp://" + server.host();
        QueueRig rig;

        std::printf("bench_transfer: best of %d, loopback FTP, active mode on both sides; peers "
                    "keep one connection for all files\n",
                    runs);
        char what[96];

        // a) Small files, one upload job each, against lftp's mput.
        std::snprintf(what, sizeof what, "upload %ld files of %ld B", smallCount, smallBytes);
        if (!haveLftp) {
            PrintSkipped(what, "lftp");
        } else {
            const Side ours{
                [&] { EmptyFolder(root / "small-pw"); },
                [&] { rig.Run(Jobs(true, small, work / "small", "/small-pw", server.host())); },
                [&] { Verify(small, root / "small-pw", "queue upload"); }};
            // lftp also sets each uploaded file's time (MFMT, as the server offers it); no
            // setting of it turns that off alone.
            const std::string script = "set cmd:fail-exit yes; set ftp:passive-mode off; "
                                       "set ftp:ssl-allow no; "
                                       "set net:max-retries 1; set net:timeout 30; lcd " +
                                       (work / "small").string() +
                                       "; cd /small-lftp; mput *.dat; quit";
            const Side peer{[&] { EmptyFolder(root / "small-lftp"); },
                            [&] {
                                MustRun({"lftp", "-u", "anonymous,bench@", "-p",
                                         std::to_string(server.port()), "-e", script, "127.0.0.1"});
                            },
                            [&] { Verify(small, root / "small-lftp", "lftp mput"); }};
            PrintRow(what, "lftp mput", Compare(runs, ours, peer));
        }

        // b) Big files up and down, against curl with every file in one invocation.
        if (!haveCurl) {
            PrintSkipped("big files", "curl");
        } else {
            std::string uploadList = "{";
            for (const fs::path& file : big)
                uploadList += (uploadList.size() > 1 ? "," : "") + file.string();
            uploadList += "}";
            std::snprintf(what, sizeof what, "upload %ld files of %ld MiB", bigCount, bigMiB);
            const Side oursUp{
                [&] { EmptyFolder(root / "up-pw"); },
                [&] { rig.Run(Jobs(true, big, work / "big", "/up-pw", server.host())); },
                [&] {
                    Verify(big, root / "up-pw", "queue upload");
                    EmptyFolder(root / "up-pw");
                }};
            const Side curlUp{[&] { EmptyFolder(root / "up-curl"); },
                              [&] {
                                  MustRun({"curl", "-s", "--fail", "-P", "-", "-T", uploadList,
                                           url + "/up-curl/"});
                              },
                              [&] {
                                  Verify(big, root / "up-curl", "curl upload");
                                  EmptyFolder(root / "up-curl");
                              }};
            PrintRow(what, "curl -T", Compare(runs, oursUp, curlUp));

            std::vector<std::string> curlGet{"curl", "-s", "--fail", "-P", "-"};
            for (const fs::path& file : big) {
                curlGet.push_back("-o");
                curlGet.push_back((work / "down-curl" / file.filename()).string());
                curlGet.push_back(url + "/src/" + file.filename().string());
            }
            std::snprintf(what, sizeof what, "download %ld files of %ld MiB", bigCount, bigMiB);
            const Side oursDown{
                [&] { EmptyFolder(work / "down-pw"); },
                [&] { rig.Run(Jobs(false, big, work / "down-pw", "/src", server.host())); },
                [&] {
                    Verify(big, work / "down-pw", "queue download");
                    EmptyFolder(work / "down-pw");
                }};
            const Side curlDown{[&] { EmptyFolder(work / "down-curl"); }, [&] { MustRun(curlGet); },
                                [&] {
                                    Verify(big, work / "down-curl", "curl download");
                                    EmptyFolder(work / "down-curl");
                                }};
            PrintRow(what, "curl -o", Compare(runs, oursDown, curlDown));
        }
    }
}

} // namespace

int main() {
    const fs::path work =
        fs::temp_directory_path() / ("bench_transfer_" + std::to_string(getpid()));
    int status = 0;
    try {
        Bench(work);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_transfer: %s\n", e.what());
        status = 1;
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return status;
}
