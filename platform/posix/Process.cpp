#include <errno.h>
#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Files.h"
#include "platform/Process.h"

namespace mrw::process {

namespace {

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

}  // namespace

std::string ExecutableName(const std::string& baseName) { return baseName; }

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

bool Start(const std::string& program, const std::string& commandLine, const StartOptions& options, int* exitCode) {
    if (program.empty()) return false;
    const std::string path = files::Resolve(program);
    const std::string folder = options.folder.empty() ? std::string() : files::Resolve(options.folder);
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty()) args.push_back(path);
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls are made.
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    // A close-on-exec pipe tells the parent whether exec succeeded: it reads
    // end-of-file on success and the child's errno on failure.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    Fd readEnd(fds[0]), writeEnd(fds[1]);

    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        int error = 0;
        if (options.hidden) {
            const int devNull = ::open("/dev/null", O_RDWR);
            if (devNull >= 0) {
                ::dup2(devNull, 0);
                ::dup2(devNull, 1);
                ::dup2(devNull, 2);
                if (devNull > 2) ::close(devNull);
            }
        }
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
            error = errno;
        } else {
            ::execv(path.c_str(), argv.data());
            error = errno;
        }
        ssize_t ignored = ::write(fds[1], &error, sizeof error);
        (void)ignored;
        ::_exit(127);
    }
    writeEnd.Reset();
    int childError = 0;
    ssize_t got;
    do {
        got = ::read(readEnd.get(), &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    const bool started = got == 0;

    if (!started || options.wait) {
        int status = 0;
        pid_t r;
        do {
            r = ::waitpid(pid, &status, 0);
        } while (r < 0 && errno == EINTR);
        if (started && exitCode) {
            *exitCode = (r == pid && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
        }
    }
    return started;
}

}  // namespace mrw::process
