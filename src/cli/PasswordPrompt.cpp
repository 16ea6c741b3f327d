#include "cli/PasswordPrompt.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

termios g_saved;
volatile sig_atomic_t g_echoOff = 0;

// Puts the echo back and lets the signal take its ordinary course.
void restoreAndRaise(int signal) {
    if (g_echoOff) tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
} // namespace

std::optional<std::string> ReadPasswordFromTerminal(const std::string& prompt) {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &g_saved) != 0) return std::nullopt;
    struct sigaction handler = {}, previous[std::size(kSignals)] = {};
    handler.sa_handler = restoreAndRaise;
    sigemptyset(&handler.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &handler, &previous[i]);
    termios quiet = g_saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    g_echoOff = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;

    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    std::string line;
    bool ok = true;
    for (;;) {
        char c = 0;
        const ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0 || c == '\n') break;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();

    if (g_echoOff) tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
    g_echoOff = 0;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &previous[i], nullptr);
    std::fputc('\n', stderr); // the Enter that was not echoed
    if (!ok) return std::nullopt;
    return line;
}
