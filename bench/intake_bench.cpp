// Timing program for scripts/bench-intake (Windows build, run under Wine or on Windows):
//   intake_bench <ffmpeg.exe> <folder> [rounds]
// Adds every file of <folder> to the convert page of a real main window with one drop and times
// it from the drop to the end of the analysis dialog, against the same probes run directly
// (same FFmpeg, same command line, output to NUL) and through the tool runner alone. The order
// of the three turns round from one round to the next, so that a drift of the system's speed
// does not favour one of them. Then prints the program's private memory with the files loaded.
#include "ui/win32.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/limits.h"
#include "platform/files.h"
#include "platform/win32/wide.h"
#include "win32/drop_handle.h"
#include "tools/analysis_result.h"
#include "tools/output_scanner.h"
#include "tools/run_observer.h"
#include "ui/control_ids.h"
#include "ui/main_window.h"
#include "ui/window_dialog.h"
#include "ui/window_requests.h"

namespace {

using namespace clipwright;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

std::string ProbeCommand(const std::string& ffmpeg, const std::string& file) {
  return "\"" + ffmpeg + "\" -hide_banner -nostats -i \"" + file + "\"";
}

// The probes without the program: each FFmpeg started and waited for, its output to NUL.
double DirectProbes(const std::string& ffmpeg, const std::vector<std::string>& files) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE null = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr);
  const LARGE_INTEGER start = Now();
  for (const std::string& file : files) {
    std::wstring command = platform::Widen(ProbeCommand(ffmpeg, file));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = null;
    startup.hStdOutput = null;
    startup.hStdError = null;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
      std::fprintf(stderr, "could not start %s\n", ffmpeg.c_str());
      continue;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  const double seconds = Seconds(start, Now());
  CloseHandle(null);
  return seconds;
}

// The probes through the tool runner and the output scanner, without any window.
double RunnerProbes(const std::string& ffmpeg, const std::vector<std::string>& files) {
  NullObserver nobody;
  std::atomic<int> abort{0};
  const LARGE_INTEGER start = Now();
  for (const std::string& file : files) {
    AnalysisResult result;
    ScanOutput(result, nobody, abort, ProbeCommand(ffmpeg, file), SCAN_PROBE, nullptr, 0);
  }
  return Seconds(start, Now());
}

// The whole intake: the drop, the analysis dialog, the rows; the list is emptied first.
double ProgramIntake(HWND convert, const std::vector<std::string>& files) {
  ui::WindowDialog page(convert);
  page.SendCommand(IDC_CONVERT_DELETE_ALL);
  HWND list = GetDlgItem(convert, IDC_CONVERT_FILES);
  const LARGE_INTEGER start = Now();
  SendMessageW(list, WM_DROPFILES, reinterpret_cast<WPARAM>(testing::MakeDrop(files)), 0);
  const double seconds = Seconds(start, Now());
  if (page.RowCount(IDC_CONVERT_FILES) != static_cast<int>(files.size())) {
    std::fprintf(stderr, "only %d of %zu files were added\n", page.RowCount(IDC_CONVERT_FILES), files.size());
  }
  return seconds;
}

// Under Wine the process is a Linux process, whose private pages the kernel counts; Wine's own
// answer to GetProcessMemoryInfo leaves PrivateUsage at 0.
double PrivateMegabytes() {
  std::string rollup;
  if (platform::ReadWholeFile("Z:\\proc\\self\\smaps_rollup", &rollup)) {
    double kilobytes = 0;
    for (const char* field : {"Private_Clean:", "Private_Dirty:"}) {
      const std::size_t at = rollup.find(field);
      if (at != std::string::npos) kilobytes += std::atof(rollup.c_str() + at + std::strlen(field));
    }
    return kilobytes / 1024.0;
  }
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return static_cast<double>(counters.PrivateUsage) / (1024.0 * 1024.0);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: intake_bench <ffmpeg.exe> <folder> [rounds]\n");
    return 2;
  }
  setvbuf(stdout, nullptr, _IONBF, 0);
  const std::string ffmpeg = platform::Narrow(argv[1]);
  std::string folder = platform::Narrow(argv[2]);
  if (folder.back() != '\\') folder += '\\';
  const int rounds = argc > 3 ? _wtoi(argv[3]) : 3;
  std::vector<std::string> files;
  for (const auto& entry : platform::ListFolder(folder)) {
    if (!entry.is_directory) files.push_back(folder + entry.name);
  }
  std::sort(files.begin(), files.end());

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring settings_folder = std::wstring(temp) + L"clipwright-bench\\";
  CreateDirectoryW(settings_folder.c_str(), nullptr);
  const std::string base = platform::Narrow(settings_folder);
  HWND main_window =
      ui::CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOW, SettingsFiles{base + "status.ini", base + "error.txt"});
  if (!main_window) return 1;
  ui::WindowRequests requests(main_window);
  requests.Page(PAGE_SETTINGS)->SetText(IDC_FFMPEG_PATH, ffmpeg);
  HWND convert = dynamic_cast<ui::WindowDialog*>(requests.Page(PAGE_CONVERT))->window();
  const double idle_mb = PrivateMegabytes();

  // Wine's first runs of FFmpeg are slower than the later ones; they are not counted.
  DirectProbes(ffmpeg, files);
  std::vector<double> direct, runner, program;
  for (int round = 1; round <= rounds; ++round) {
    for (int turn = 0; turn < 3; ++turn) {
      switch ((turn + round) % 3) {
        case 0:
          direct.push_back(DirectProbes(ffmpeg, files));
          break;
        case 1:
          runner.push_back(RunnerProbes(ffmpeg, files));
          break;
        default:
          program.push_back(ProgramIntake(convert, files));
          break;
      }
    }
    std::printf("round %d: %zu files, direct %.2f s, runner %.2f s, program %.2f s\n", round, files.size(),
                direct.back(), runner.back(), program.back());
  }
  if (rounds < 1) return 0;
  std::printf("idle_private_mb=%.1f\n", idle_mb);
  std::printf("loaded_private_mb=%.1f\n", PrivateMegabytes());
  std::printf("direct_s=%.2f\nprogram_s=%.2f\n", Median(direct), Median(program));
  std::printf("runner_ratio=%.3f\n", Median(runner) / Median(direct));
  std::printf("ratio=%.3f\n", Median(program) / Median(direct));
  DestroyWindow(main_window);
  return 0;
}
