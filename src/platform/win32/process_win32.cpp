// Child processes on Windows. The output arrives on a named pipe that this side reads with
// overlapped I/O, so that one WaitForMultipleObjects can wait for output, exit or a time-out at
// once; the input is an anonymous pipe. The child inherits its three standard handles and
// nothing else (PROC_THREAD_ATTRIBUTE_HANDLE_LIST). Every child starts suspended and joins, before
// it runs a single instruction, a job object that ends it when this program goes.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/win32/wide.h"

namespace clipwright::platform {
namespace {

constexpr DWORD kReadSize = 64 * 1024;
// Bytes collected ahead of the reader before this side stops issuing reads.
constexpr std::size_t kReadyLimit = 1024 * 1024;

class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void reset(HANDLE handle = nullptr) {
    if (handle_) CloseHandle(handle_);
    handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
  }

 private:
  HANDLE handle_;
};

class Win32Child : public ChildProcess {
 public:
  Win32Child(HANDLE process, HANDLE output, HANDLE input, HANDLE event)
      : process_(process), output_(output), input_(input), event_(event), buffer_(kReadSize) {}

  ~Win32Child() override {
    if (pending_) {
      // The buffer must not be written after it is gone.
      CancelIoEx(output_.get(), &overlapped_);
      DWORD ignored = 0;
      GetOverlappedResult(output_.get(), &overlapped_, &ignored, TRUE);
    }
  }

  void WaitForOutputOrExit(int timeout_ms) override {
    Collect();
    if (!ready_.empty() || ended_) return;
    HANDLE handles[2] = {event_.get(), process_.get()};
    WaitForMultipleObjects(2, handles, FALSE, timeout_ms < 0 ? 0 : static_cast<DWORD>(timeout_ms));
  }

  std::size_t Available() override {
    Collect();
    return ready_.size();
  }

  std::string ReadAvailable(std::size_t max) override {
    Collect();
    const std::size_t count = ready_.size() < max ? ready_.size() : max;
    std::string bytes = ready_.substr(0, count);
    ready_.erase(0, count);
    Collect();
    return bytes;
  }

  bool OutputEnded() override {
    Collect();
    return ended_ && ready_.empty();
  }

  bool WriteInput(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD written = 0;
      if (!WriteFile(input_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0) {
        return false;
      }
      bytes.remove_prefix(written);
    }
    return true;
  }

  bool HasExited() override { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }

  std::optional<int> ExitCode() override {
    DWORD code = 0;
    if (!HasExited() || !GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
    return static_cast<int>(code);
  }

  bool WaitForExit(int timeout_ms) override {
    return WaitForSingleObject(process_.get(), timeout_ms < 0 ? 0 : static_cast<DWORD>(timeout_ms)) == WAIT_OBJECT_0;
  }

  void Terminate() override {
    if (HasExited()) return;
    TerminateProcess(process_.get(), 1);
    // TerminateProcess only starts the end; wait until the process and its handles are gone.
    WaitForSingleObject(process_.get(), 5000);
  }

 private:
  // Takes in a finished read and starts the next one, until a read stays pending, the pipe has
  // ended, or enough is waiting.
  void Collect() {
    for (;;) {
      if (pending_ && !FinishRead()) return;
      if (ended_ || ready_.size() >= kReadyLimit) return;
      StartRead();
    }
  }

  // Takes in the pending read if it is over; false while it is still under way.
  bool FinishRead() {
    // Bytes already in the pipe complete the read at once; wait the moment that takes, so that
    // what a child wrote before it exited is never missed.
    DWORD waiting = 0;
    if (PeekNamedPipe(output_.get(), nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
      WaitForSingleObject(event_.get(), 1000);
    }
    DWORD got = 0;
    bool done = GetOverlappedResult(output_.get(), &overlapped_, &got, FALSE);
    if (!done && GetLastError() == ERROR_IO_INCOMPLETE) {
      // Once the child has exited its last bytes, or the end of the pipe, are on the way. Under
      // Wine they can be neither in the pipe nor in the buffer for a moment; wait for them, so
      // that a reader that stops at the first empty read after the exit misses nothing. A
      // grandchild that holds the pipe open costs this wait once.
      if (drain_wait_ms_ == 0 || !HasExited()) return false;
      const DWORD started = GetTickCount();
      WaitForSingleObject(event_.get(), drain_wait_ms_);
      const DWORD waited = GetTickCount() - started;
      drain_wait_ms_ = waited >= drain_wait_ms_ ? 0 : drain_wait_ms_ - waited;
      done = GetOverlappedResult(output_.get(), &overlapped_, &got, FALSE);
      if (!done && GetLastError() == ERROR_IO_INCOMPLETE) return false;
    }
    pending_ = false;
    if (done) {
      ready_.append(buffer_.data(), got);
    } else {
      ended_ = true;  // ERROR_BROKEN_PIPE: every writer has closed its end
    }
    return true;
  }

  void StartRead() {
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.get();
    // A read that finishes at once is taken in like one that finishes later.
    if (ReadFile(output_.get(), buffer_.data(), kReadSize, nullptr, &overlapped_) || GetLastError() == ERROR_IO_PENDING) {
      pending_ = true;
    } else {
      ended_ = true;
    }
  }

  Handle process_;
  Handle output_;
  Handle input_;
  Handle event_;
  OVERLAPPED overlapped_{};
  std::vector<char> buffer_;
  std::string ready_;
  bool pending_ = false;
  bool ended_ = false;
  DWORD drain_wait_ms_ = 2000;
};

// The job of every child. Its one handle is never closed by this program: the system closes it
// when the program ends, however it ends, and the job then ends every process in it.
HANDLE ChildrenJob() {
  static const HANDLE job = [] {
    HANDLE made = CreateJobObjectW(nullptr, nullptr);
    if (made == nullptr) return made;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
      CloseHandle(made);
      return HANDLE{nullptr};
    }
    return made;
  }();
  return job;
}

// Process ids come round again soon, and a pipe lives on while an ended program's child still
// holds its other end: the name also holds the moment this program started.
std::wstring UniquePipeName() {
  static std::atomic<unsigned> counter{0};
  static const std::wstring program = [] {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(now.QuadPart);
  }();
  return L"\\\\.\\pipe\\clipwright-" + program + L"-" + std::to_wstring(counter.fetch_add(1));
}

}  // namespace

void SetChildErrorMode() {
  // Once for the process, never restored: two threads (a run's and the pictures') start tools,
  // and a mode saved and put back around each start would leave one of them without it.
  static const bool set = [] {
    SetErrorMode(GetErrorMode() | SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
    return true;
  }();
  (void)set;
}

std::unique_ptr<ChildProcess> ChildProcess::Start(std::string_view command_line, const std::string& working_folder) {
  std::wstring command = Widen(command_line);
  if (command.empty()) return nullptr;

  // Output: the server end (this side) is overlapped and not inheritable; the client end is the
  // child's standard output and standard error.
  std::wstring name;
  Handle output;
  // A name that is somehow taken gives way to the next.
  for (int attempt = 0; attempt < 4 && !output; ++attempt) {
    name = UniquePipeName();
    output.reset(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
                                  kReadSize, 0, nullptr));
  }
  if (!output) return nullptr;
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle child_output(CreateFileW(name.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, &inheritable, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!child_output) return nullptr;

  HANDLE input_read = nullptr;
  HANDLE input_write = nullptr;
  if (!CreatePipe(&input_read, &input_write, nullptr, 0)) return nullptr;
  Handle child_input(input_read);
  Handle input(input_write);
  if (!SetHandleInformation(child_input.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) return nullptr;

  Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event) return nullptr;

  SIZE_T list_size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &list_size);
  std::vector<char> list_memory(list_size);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list_memory.data());
  if (!InitializeProcThreadAttributeList(list, 1, 0, &list_size)) return nullptr;
  HANDLE inherited[2] = {child_input.get(), child_output.get()};
  if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof(inherited), nullptr,
                                 nullptr)) {
    DeleteProcThreadAttributeList(list);
    return nullptr;
  }

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof(startup);
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.StartupInfo.wShowWindow = SW_HIDE;
  startup.StartupInfo.hStdInput = child_input.get();
  startup.StartupInfo.hStdOutput = child_output.get();
  startup.StartupInfo.hStdError = child_output.get();
  startup.lpAttributeList = list;
  HANDLE job = ChildrenJob();
  if (job == nullptr) return nullptr;
  PROCESS_INFORMATION started{};
  const std::wstring folder = Widen(working_folder);
  SetChildErrorMode();
  const BOOL ok = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                                 CREATE_NO_WINDOW | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                 folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo, &started);
  DeleteProcThreadAttributeList(list);
  if (!ok) return nullptr;
  // A child that cannot be tied to this program does not run at all.
  if (!AssignProcessToJobObject(job, started.hProcess) || ResumeThread(started.hThread) == static_cast<DWORD>(-1)) {
    TerminateProcess(started.hProcess, 1);
    WaitForSingleObject(started.hProcess, 5000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return nullptr;
  }
  CloseHandle(started.hThread);
  // Only the child holds these now, so its exit ends the output.
  child_output.reset();
  child_input.reset();
  return std::make_unique<Win32Child>(started.hProcess, output.release(), input.release(), event.release());
}

}  // namespace clipwright::platform
