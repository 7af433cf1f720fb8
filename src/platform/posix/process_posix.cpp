// Child processes on POSIX: posix_spawnp without a shell, the output on one pipe, the input on
// another. Waiting uses poll() on the output and, where the kernel has it, on a pidfd, so that
// an exit wakes the waiter even while a grandchild keeps the output pipe open.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
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
    do {
      result = waitpid(pid_, nullptr, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == pid_ || (result < 0 && errno == ECHILD)) exited_ = true;
    return exited_;
  }

  pid_t pid_;
  int output_;
  int input_;
  int pidfd_;
  bool exited_ = false;
  bool ended_ = false;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(std::string_view command_line, const std::string& working_folder) {
  const std::vector<std::string> arguments = SplitCommandLine(command_line);
  if (arguments.empty() || arguments[0].empty()) return nullptr;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  int output[2];
  int input[2];
  if (!MakePipe(output)) return nullptr;
  if (!MakePipe(input)) {
    close(output[0]);
    close(output[1]);
    return nullptr;
  }

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  posix_spawn_file_actions_adddup2(&actions, output[1], 2);
  if (!working_folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, working_folder.c_str());
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  // Descriptors of this program that lack close-on-exec stay out of the child too.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
  // The child starts with default signal handling and nothing blocked, whatever this thread has.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  // glibc reports a program that cannot be executed as the result here, not as a child that
  // exits with 127.
  const int failure = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(output[1]);
  close(input[0]);
  if (failure != 0) {
    close(output[0]);
    close(input[1]);
    return nullptr;
  }
  fcntl(output[0], F_SETFL, fcntl(output[0], F_GETFL) | O_NONBLOCK);
  return std::make_unique<PosixChild>(pid, output[0], input[1]);
}

}  // namespace clipwright::platform
