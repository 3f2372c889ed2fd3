// A program for launch tests: writes what it was started with (arguments,
// process, session and parent, working folder, CORVANE_* variables, open
// descriptors) to $CORVANE_TEST_RECORD_DIR/record-<pid>.txt, then exits, or
// stays for $CORVANE_TEST_RECORD_LINGER seconds. No Qt, no sanitizers: it is
// copied into test bundles and must run anywhere.
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace {

std::string oneLine(const char* text)
{
    std::string s(text);
    for (char& c : s) {
        if (c == '\n')
            c = '\x01';
    }
    return s;
}

std::string linkTarget(const std::string& link)
{
    char buffer[4096];
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

std::string describe(int argc, char** argv)
{
    std::string out = "pid=" + std::to_string(getpid()) + "\n";
    out += "ppid=" + std::to_string(getppid()) + "\n";
    out += "sid=" + std::to_string(getsid(0)) + "\n";
    char cwd[4096];
    out += std::string("cwd=") + (getcwd(cwd, sizeof cwd) ? cwd : "") + "\n";
    for (int i = 0; i < argc; ++i)
        out += "arg=" + oneLine(argv[i]) + "\n";
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "CORVANE_", 8) == 0 && std::strncmp(*e, "CORVANE_TEST_", 13) != 0)
            out += "env=" + oneLine(*e) + "\n";
    }
    if (DIR* fds = opendir("/proc/self/fd")) {
        const int own = dirfd(fds);
        while (const dirent* d = readdir(fds)) {
            const int fd = std::atoi(d->d_name);
            if (d->d_name[0] != '.' && fd > 2 && fd != own)
                out += "fd=" + std::string(d->d_name) + " " +
                       linkTarget(std::string("/proc/self/fd/") + d->d_name) + "\n";
        }
        closedir(fds);
    }
    out += "stdin=" + linkTarget("/proc/self/fd/0") + "\n";
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* folder = std::getenv("CORVANE_TEST_RECORD_DIR");
    if (folder && *folder) {
        const std::string base = std::string(folder) + "/record-" + std::to_string(getpid());
        const std::string text = describe(argc, argv);
        // Written aside and renamed, so a reader never sees half a record.
        if (FILE* f = std::fopen((base + ".tmp").c_str(), "w")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
            std::rename((base + ".tmp").c_str(), (base + ".txt").c_str());
        }
    }
    if (const char* linger = std::getenv("CORVANE_TEST_RECORD_LINGER")) {
        for (int left = std::atoi(linger); left > 0; --left)
            sleep(1);
    }
    return 0;
}
