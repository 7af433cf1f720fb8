// One child process: a command line started hidden, its standard output and standard error
// merged into one pipe, its standard input on another.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipwright::platform {

class ChildProcess {
 public:
  // Starts `command_line` (UTF-8; the program first, quoted as on Windows) without a console
  // window and without a shell. Null when a pipe or the process could not be created, which
  // callers report apart from "ran and ended". The parent keeps only its own pipe ends, none of
  // them inheritable; the child inherits exactly its three standard handles. The child starts in
  // `working_folder`, or in this program's current folder when it is empty; a folder that does
  // not exist is a start that fails. The child never outlives this program: it is ended when the
  // program ends, however that happens (on Windows through a job object, on Linux through the
  // parent-death signal).
  static std::unique_ptr<ChildProcess> Start(std::string_view command_line, const std::string& working_folder = {});

  // Releases the handles. Does not end the child.
  virtual ~ChildProcess() = default;

  // Blocks until output is waiting, the output has ended, the child has exited, or
  // `timeout_ms` has passed, whichever comes first. Never spins.
  virtual void WaitForOutputOrExit(int timeout_ms) = 0;
  // Number of output bytes that can be read now without blocking.
  virtual std::size_t Available() = 0;
  // Reads at most `max` of the bytes waiting now, without blocking; empty when none wait.
  virtual std::string ReadAvailable(std::size_t max) = 0;
  // True once every writer has closed the output pipe and everything in it has been read.
  virtual bool OutputEnded() = 0;

  // Writes to the child's standard input.
  virtual bool WriteInput(std::string_view bytes) = 0;

  virtual bool HasExited() = 0;
  // The exit code once the child has exited; none while it runs, and none when a signal ended it.
  virtual std::optional<int> ExitCode() = 0;
  // Waits at most `timeout_ms` for the child to exit; true if it has.
  virtual bool WaitForExit(int timeout_ms) = 0;
  // Ends the child at once.
  virtual void Terminate() = 0;
};

// A tool that crashes ends there and then, without the system's crash dialog for a window the
// user never saw (the run waits for the tool, so it would wait for that dialog): children take
// the error mode this sets for the whole process. Called at start-up; Start calls it too, so
// that it is in place before the first tool. Nothing to do on POSIX.
void SetChildErrorMode();

// Splits a command line into arguments as the Microsoft C runtime does (quotes group, 2n
// backslashes before a quote give n backslashes, 2n+1 give n and a literal quote, "" inside a
// quoted argument is a literal quote). Used on POSIX so that both builds run the same strings.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

}  // namespace clipwright::platform
