// The tool's console on POSIX: UTF-8 straight to the file descriptors, the
// password read from the controlling terminal with echo off, an answer with it.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "base/secret.h"
#include "tools/pvx.h"

namespace {

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

class PosixConsole : public plivex::PvxConsole {
public:
    void Out(std::string_view text) override { WriteAll(STDOUT_FILENO, text); }
    void Err(std::string_view text) override { WriteAll(STDERR_FILENO, text); }

    std::optional<std::string> GetEnv(const char* name) override {
        const char* value = ::getenv(name);
        if (!value) return std::nullopt;
        return std::string(value);
    }

    void CatchInterrupt() override {
        struct sigaction action {};
        action.sa_handler = [](int) { interrupted = 1; };
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, nullptr);
    }
    bool Interrupted() override { return interrupted != 0; }
    bool ErrIsTerminal() override { return ::isatty(STDERR_FILENO) == 1; }

private:
    bool ReadLine(std::string_view prompt, std::string& line, Echo echo) override {
        // The terminal, not standard input: input may be redirected from a file.
        const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
        if (tty < 0) return false;
        termios saved;
        if (::tcgetattr(tty, &saved) != 0) {
            ::close(tty);
            return false;
        }
        termios quiet = saved;
        if (echo == Echo::kHidden) {
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            quiet.c_lflag |= ECHONL;  // the Enter still moves to the next line
        }
        // A hidden line's echo goes off before the prompt shows, so nothing typed after it is echoed.
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
        WriteAll(tty, prompt);
        line.clear();
        line.reserve(256);  // no reallocation leaves copies behind for any sane password
        bool ok = true;
        for (;;) {
            char c;
            const ssize_t got = ::read(tty, &c, 1);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) ok = false;
            if (got <= 0 || c == '\n') break;
            line += c;
        }
        ::tcsetattr(tty, TCSAFLUSH, &saved);
        ::close(tty);
        if (!ok) plivex::SecureWipe(line);
        return ok;
    }

    static inline volatile sig_atomic_t interrupted = 0;
};

}  // namespace

int main(int argc, char** argv) {
    PosixConsole console;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return plivex::PvxMain(args, console);
}
