// Child processes on POSIX: fork and exec without a shell, the output on one pipe, the input on
// another. Waiting uses poll() on the output and, where the kernel has it, on a pidfd, so that
// an exit wakes the waiter even while a grandchild keeps the output pipe open.
//
// The child asks the kernel for SIGKILL when its parent goes (Linux's parent-death signal), so a
// tool never outlives the program, not even one that was killed. The signal follows the thread
// that started the child: the tool runner keeps that thread until its child has exited.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/process.h"

extern char** environ;

namespace clipwright::platform {
namespace {

// A descriptor above the three standard ones, close-on-exec, so that dup2 in the child always
// makes a fresh, inheritable copy.
int Lift(int fd) {
  if (fd > 2) return fd;
  const int lifted = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  close(fd);
  return lifted;
}

bool MakePipe(int ends[2]) {
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  ends[0] = Lift(ends[0]);
  ends[1] = Lift(ends[1]);
  if (ends[0] >= 0 && ends[1] >= 0) return true;
  if (ends[0] >= 0) close(ends[0]);
  if (ends[1] >= 0) close(ends[1]);
  return false;
}

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

// The file that exec will run: a name with a slash as it stands, else the first executable file
// of that name in a folder of PATH. Empty when there is none.
std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* search = std::getenv("PATH");
  const std::string folders = search != nullptr ? search : "/usr/local/bin:/usr/bin:/bin";
  for (std::size_t start = 0; start <= folders.size();) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const std::string candidate = folder + "/" + name;
    struct stat info{};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

// In the child, between fork and exec: only calls that are safe there (the program's other
// threads did not come along and may have held locks). On failure the reason goes back through
// `report`, which exec closes when it succeeds.
[[noreturn]] void ExecChild(pid_t parent, const char* program, char* const argv[], const char* folder, int input,
                            int output, int report, long descriptor_limit) {
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(127);
  // Default signal handling and nothing blocked, whatever the starting thread had.
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction default_action{};
  default_action.sa_handler = SIG_DFL;
  for (const int signal_number : {SIGPIPE, SIGINT, SIGTERM}) ::sigaction(signal_number, &default_action, nullptr);
  if (::dup2(input, 0) < 0 || ::dup2(output, 1) < 0 || ::dup2(output, 2) < 0 ||
      (folder[0] != '\0' && ::chdir(folder) != 0)) {
    const int error = errno;
    [[maybe_unused]] const ssize_t ignored = ::write(report, &error, sizeof error);
    ::_exit(127);
  }
  // Nothing else of this program reaches the tool: every other descriptor closes at exec.
  if (::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC) != 0) {
    for (long fd = 3; fd < descriptor_limit; ++fd) ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
  }
  ::execve(program, argv, environ);
  const int error = errno;
  [[maybe_unused]] const ssize_t ignored = ::write(report, &error, sizeof error);
  ::_exit(127);
}

int OpenPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
  const long fd = syscall(SYS_pidfd_open, pid, 0);
  if (fd >= 0) {
    fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
    return static_cast<int>(fd);
  }
#endif
  (void)pid;
  return -1;
}

class PosixChild : public ChildProcess {
 public:
  PosixChild(pid_t pid, int output, int input) : pid_(pid), output_(output), input_(input), pidfd_(OpenPidfd(pid)) {}

  ~PosixChild() override {
    close(output_);
    if (input_ >= 0) close(input_);
    if (pidfd_ >= 0) close(pidfd_);
    // A child that is still running is left running; someone has to collect its exit status
    // so that it does not stay behind as a zombie.
    if (!Reap(false)) {
      const pid_t pid = pid_;
      std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    }
  }

  void WaitForOutputOrExit(int timeout_ms) override {
    if (ended_ || Reap(false)) return;
    pollfd fds[2] = {{output_, POLLIN, 0}, {pidfd_, POLLIN, 0}};
    const nfds_t count = pidfd_ >= 0 ? 2 : 1;
    int result;
    do {
      result = poll(fds, count, timeout_ms < 0 ? 0 : timeout_ms);
    } while (result < 0 && errno == EINTR);
  }

  std::size_t Available() override {
    int waiting = 0;
    if (ioctl(output_, FIONREAD, &waiting) != 0 || waiting < 0) return 0;
    return static_cast<std::size_t>(waiting);
  }

  std::string ReadAvailable(std::size_t max) override {
    const std::size_t waiting = Available();
    if (waiting == 0 || max == 0) return {};
    std::string bytes(waiting < max ? waiting : max, '\0');
    ssize_t got;
    do {
      got = read(output_, bytes.data(), bytes.size());
    } while (got < 0 && errno == EINTR);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
  }

  bool OutputEnded() override {
    if (ended_) return true;
    pollfd fd = {output_, POLLIN, 0};
    if (poll(&fd, 1, 0) == 1 && (fd.revents & (POLLHUP | POLLERR)) && Available() == 0) ended_ = true;
    return ended_;
  }

  bool WriteInput(std::string_view bytes) override {
    if (input_ < 0) return false;
    // A child that has closed its input would raise SIGPIPE, which must not end this program:
    // block it on this thread for the write and consume it if it came.
    sigset_t pipe_only, previous;
    sigemptyset(&pipe_only);
    sigaddset(&pipe_only, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_only, &previous);
    bool ok = true;
    while (!bytes.empty()) {
      const ssize_t written = write(input_, bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        ok = false;
        break;
      }
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (!ok && errno == EPIPE) {
      const timespec no_wait = {0, 0};
      sigtimedwait(&pipe_only, nullptr, &no_wait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return ok;
  }

  bool HasExited() override { return Reap(false); }

  std::optional<int> ExitCode() override {
    if (!Reap(false)) return std::nullopt;
    return exit_code_;
  }

  bool WaitForExit(int timeout_ms) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!Reap(false)) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      if (left <= 0) return false;
      if (pidfd_ >= 0) {
        pollfd fd = {pidfd_, POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(left < 10 ? left : 10));
      }
    }
    return true;
  }

  void Terminate() override {
    if (Reap(false)) return;
    kill(pid_, SIGKILL);
    Reap(true);
  }

 private:
  // Collects the exit status once; true when the child has exited.
  bool Reap(bool block) {
    if (exited_) return true;
    pid_t result;
    int status = 0;
    do {
      result = waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == pid_ && WIFEXITED(status)) exit_code_ = WEXITSTATUS(status);
    // ECHILD: someone else collected it, and with it the exit code.
    if (result == pid_ || (result < 0 && errno == ECHILD)) exited_ = true;
    return exited_;
  }

  pid_t pid_;
  int output_;
  int input_;
  int pidfd_;
  bool exited_ = false;
  std::optional<int> exit_code_;
  bool ended_ = false;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(std::string_view command_line, const std::string& working_folder) {
  const std::vector<std::string> arguments = SplitCommandLine(command_line);
  if (arguments.empty() || arguments[0].empty()) return nullptr;
  std::string program = FindProgram(arguments[0]);
  if (program.empty()) return nullptr;
  // A program named relative to this program's folder stays that one when the child starts in
  // another folder, as on Windows.
  if (program[0] != '/' && !working_folder.empty()) {
    char here[PATH_MAX];
    if (::getcwd(here, sizeof here) == nullptr) return nullptr;
    program = std::string(here) + "/" + program;
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  int output[2];
  int input[2];
  int report[2];
  if (!MakePipe(output)) return nullptr;
  if (!MakePipe(input)) {
    close(output[0]);
    close(output[1]);
    return nullptr;
  }
  if (pipe2(report, O_CLOEXEC) != 0) {
    for (const int fd : {output[0], output[1], input[0], input[1]}) close(fd);
    return nullptr;
  }

  const long open_max = sysconf(_SC_OPEN_MAX);
  const long descriptor_limit = open_max > 0 && open_max < 65536 ? open_max : 65536;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) ExecChild(parent, program.c_str(), argv.data(), working_folder.c_str(), input[0], output[1], report[1],
                            descriptor_limit);
  close(output[1]);
  close(input[0]);
  close(report[1]);
  int error = 0;
  ssize_t got = -1;
  if (pid > 0) {
    do {
      got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
  }
  close(report[0]);
  if (pid < 0 || got != 0) {
    // Could not start: no fork, or the child told why exec failed before it ended.
    if (pid > 0) waitpid(pid, nullptr, 0);
    close(output[0]);
    close(input[1]);
    return nullptr;
  }
  fcntl(output[0], F_SETFL, fcntl(output[0], F_GETFL) | O_NONBLOCK);
  return std::make_unique<PosixChild>(pid, output[0], input[1]);
}

void SetChildErrorMode() {}

}  // namespace clipwright::platform
