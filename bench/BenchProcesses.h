#pragma once
// The processes the benchmarks start: the loopback FTP server and the peers they are timed
// against. Failures throw std::runtime_error, which each benchmark's main reports.
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

// scripts/ftp-server.py serving `root` on a free port of 127.0.0.1 until destroyed.
// PW_BENCH_SERVER_LOG=FILE has the server append every command it receives to FILE.
class LocalServer {
public:
    explicit LocalServer(const std::string& root) {
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe failed");
        m_pid = fork();
        if (m_pid < 0) throw std::runtime_error("fork failed");
        if (m_pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            const std::string script = PW_SOURCE_DIR "/scripts/ftp-server.py";
            std::vector<const char*> argv{"python3",    script.c_str(), "--root",
                                          root.c_str(), "--port",       "0"};
            const char* log = std::getenv("PW_BENCH_SERVER_LOG");
            if (log != nullptr && *log != '\0') argv.insert(argv.end(), {"--log", log});
            argv.push_back(nullptr);
            execv("/usr/bin/python3", const_cast<char* const*>(argv.data()));
            _exit(127);
        }
        close(out[1]);
        std::string line;
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(out[0]);
        if (line.rfind("PORT ", 0) != 0) {
            stop();
            throw std::runtime_error("the FTP server did not start");
        }
        m_port = std::stoi(line.substr(5));
    }
    ~LocalServer() { stop(); }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;
    int port() const { return m_port; }
    std::string host() const { return "127.0.0.1:" + std::to_string(m_port); }

private:
    void stop() {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    pid_t m_pid = -1;
    int m_port = 0;
};

// Runs a program to its end with its output discarded; returns its exit status (-1 when it
// did not exit normally, 127 when it could not be started).
inline int RunQuietly(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline void MustRun(const std::vector<std::string>& args) {
    const int status = RunQuietly(args);
    if (status != 0)
        throw std::runtime_error(args[0] + " failed (exit status " + std::to_string(status) + ")");
}

} // namespace bench
