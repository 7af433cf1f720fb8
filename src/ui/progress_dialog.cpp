#include "ui/progress_dialog.h"

#include <process.h>

#include <cstdint>
#include <memory>

#include "common/placement.h"
#include "platform/system.h"
#include "platform/win32/wide.h"
#include "ui/control_ids.h"
#include "ui/tool_requests.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {
namespace {

constexpr UINT_PTR kElapsedTimer = 0;
// Sent by the worker thread as its very last act.
constexpr UINT MSG_PROGRESS_WORKER_DONE = WM_APP + 0x310;
constexpr const wchar_t* kRunProperty = L"Clipwright.ProgressRun";
// On the main window: the run under way, while its dialog lives.
constexpr const wchar_t* kActiveRunProperty = L"Clipwright.ActiveRun";

struct ProgressRun;

// What the worker reports, shown in the dialog's controls (through the dialog's own thread). The
// dialog ends, and 閉じる appears, only once the worker has returned: any earlier, a click could
// end the dialog (and free the run's record) while the worker still uses it.
class ProgressObserver final : public RunObserver {
 public:
  ProgressObserver(HWND dialog, RunKind kind) : view_(dialog), kind_(kind) {}

  void FileStarted(std::string_view name) override { view_.SetText(IDC_PROGRESS_FILE, name); }

  void StageReached(const StageEvent& event) override {
    // A page's command that is too long is shown whole in a box of its own, as the user has to
    // shorten the names in it; the split's pieces and the volume job say it in the line alone.
    if (event.stage == Stage::kCommandRefused && kind_ != RunKind::kSplitAtKeyframes && kind_ != RunKind::kVolume) {
      view_.MessageBox(event.text, CommandTooLongText(static_cast<int>(event.number)), kMessageOk);
    }
    if (const std::optional<ProgressText> text = StageText(kind_, event)) {
      view_.SetText(text->line == ProgressLine::kProcess ? IDC_PROGRESS_PROCESS : IDC_PROGRESS_STATUS, text->text);
    }
  }

  void ToolOutput(std::string_view text) override { view_.SetText(IDC_PROGRESS_STATUS, text); }
  void PredictedTime(double seconds) override { view_.SetText(IDC_PROGRESS_PROCESS, PredictionText(seconds)); }
  void AbortAllowed(bool allowed) override { view_.Enable(IDC_PROGRESS_ABORT, allowed); }

  void ToolMissing(Tool tool, bool not_a_program) override {
    WindowDialog main_window(GetAncestor(GetWindow(view_.window(), GW_OWNER), GA_ROOT));
    TellToolMissing(main_window, tool, not_a_program);
  }

  void FileEnded(FileOutcome outcome) override {
    for (const std::string& text : FileEndTexts(kind_, outcome)) view_.SetText(IDC_PROGRESS_PROCESS, text);
  }

  void RunEnded(const RunSummary& summary) override {
    if (!summary.left_behind.empty()) view_.SetText(IDC_PROGRESS_PROCESS, LeftBehindText(summary.left_behind));
    if (summary.counted) view_.SetText(IDC_PROGRESS_STATUS, SummaryText(summary.successes, summary.failures));
  }

 private:
  WindowDialog view_;
  RunKind kind_;
};

struct ProgressRun {
  RunKind kind = RunKind::kConvert;
  std::atomic<int>* abort = nullptr;
  ProgressWorker worker;
  HWND dialog = nullptr;
  HANDLE thread = nullptr;
  std::uint32_t start_tick = 0;
  HHOOK key_filter = nullptr;
  std::unique_ptr<ProgressObserver> observer;
  HWND main_window = nullptr;
  // Touched on the dialog's thread only.
  bool worker_done = false;
  int requested_end = -1;
  bool close_requested = false;  // the program closes once the worker has cleaned up
};

// While the worker runs, no key reaches the dialog: Enter, Escape, Space and Alt+F4 would
// otherwise end or abort the run through the dialog manager. The mouse still works.
LRESULT CALLBACK FilterProgressKeys(int code, WPARAM wparam, LPARAM lparam) {
  if (code >= 0) {
    const MSG* message = reinterpret_cast<const MSG*>(lparam);
    if (message->hwnd && message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST) {
      const auto* run = static_cast<const ProgressRun*>(GetPropW(GetAncestor(message->hwnd, GA_ROOT), kRunProperty));
      if (run && !run->worker_done) return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

unsigned __stdcall RunWorker(void* argument) {
  auto* run = static_cast<ProgressRun*>(argument);
  const int result = run->worker(*run->observer);
  if (run->kind == RunKind::kAnalysis) RunOnWindowThread(run->dialog, [&] { run->requested_end = result; });
  const HWND dialog = run->dialog;
  const HANDLE self = run->thread;
  run->thread = nullptr;
  CloseHandle(self);
  // The last touch of the run: from here on the dialog may end and its starter free everything.
  SendMessageW(dialog, MSG_PROGRESS_WORKER_DONE, 0, 0);
  return 0;
}

void FinishRun(HWND dialog, ProgressRun* run) {
  run->worker_done = true;
  KillTimer(dialog, kElapsedTimer);
  // The program was asked to close: nobody waits for 閉じる.
  if (run->close_requested) {
    EndDialog(dialog, run->kind == RunKind::kAnalysis ? 2 : 1);
    return;
  }
  if (run->kind == RunKind::kAnalysis) {
    EndDialog(dialog, run->requested_end >= 0 ? run->requested_end : (run->abort->load() ? 2 : 1));
    return;
  }
  ShowWindow(GetDlgItem(dialog, IDC_PROGRESS_ABORT), SW_HIDE);
  HWND close = GetDlgItem(dialog, IDC_PROGRESS_CLOSE);
  ShowWindow(close, SW_SHOW);
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(close), TRUE);
  if (run->requested_end >= 0) EndDialog(dialog, run->requested_end);
}

void StartRun(HWND dialog, ProgressRun* run) {
  SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(run));
  run->dialog = dialog;
  run->observer = std::make_unique<ProgressObserver>(dialog, run->kind);
  const bool analysis = run->kind == RunKind::kAnalysis;
  if (run->kind == RunKind::kVolume) SetWindowTextW(dialog, L"AACGain");
  CenterOverOwner(dialog);
  ShowWindow(GetDlgItem(dialog, IDC_PROGRESS_CLOSE), SW_HIDE);
  if (analysis) {
    // Greyed until the analysis worker enables it.
    EnableWindow(GetDlgItem(dialog, IDC_PROGRESS_ABORT), FALSE);
    SetDlgItemTextW(dialog, IDC_PROGRESS_PROCESS, L"ファイル名を取得中．．．");
  } else {
    ShowWindow(GetDlgItem(dialog, IDC_PROGRESS_ABORT), SW_SHOW);
  }
  run->start_tick = platform::TickCount();
  SetTimer(dialog, kElapsedTimer, 1000, nullptr);
  if (analysis) run->abort->store(0);
  SetPropW(dialog, kRunProperty, run);
  run->main_window = GetAncestor(GetWindow(dialog, GW_OWNER), GA_ROOT);
  if (run->main_window) SetPropW(run->main_window, kActiveRunProperty, run);
  run->key_filter = SetWindowsHookExW(WH_MSGFILTER, FilterProgressKeys, nullptr, GetCurrentThreadId());
  // Started suspended so that the handle is stored before the worker can read it.
  const uintptr_t thread = _beginthreadex(nullptr, 0, RunWorker, run, CREATE_SUSPENDED, nullptr);
  if (!thread) {
    if (analysis) run->requested_end = 2;
    FinishRun(dialog, run);
    return;
  }
  run->thread = reinterpret_cast<HANDLE>(thread);
  ResumeThread(run->thread);
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  auto* run = reinterpret_cast<ProgressRun*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  switch (message) {
    case WM_INITDIALOG:
      StartRun(dialog, reinterpret_cast<ProgressRun*>(lparam));
      return TRUE;
    case WM_TIMER:
      if (run) {
        const std::string title = ElapsedTitle(run->kind, platform::TickCount() - run->start_tick);
        SetWindowTextW(dialog, platform::Widen(title).c_str());
      }
      return TRUE;
    case WM_COMMAND:
      if (!run) return FALSE;
      switch (LOWORD(wparam)) {
        case IDC_PROGRESS_CLOSE:
          if (run->kind != RunKind::kAnalysis && run->worker_done) EndDialog(dialog, 1);
          return TRUE;
        case IDC_PROGRESS_ABORT:
          if (run->kind != RunKind::kAnalysis) EnableWindow(GetDlgItem(dialog, IDC_PROGRESS_ABORT), FALSE);
          run->abort->store(1);
          return TRUE;
      }
      return FALSE;
    case MSG_PROGRESS_WORKER_DONE:
      if (run) FinishRun(dialog, run);
      return TRUE;
    case WM_CLOSE:
      // No system menu, no close box: the dialog ends only as above.
      return TRUE;
    case WM_DESTROY:
      if (run && run->key_filter) UnhookWindowsHookEx(run->key_filter);
      RemovePropW(dialog, kRunProperty);
      if (run && run->main_window) RemovePropW(run->main_window, kActiveRunProperty);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

bool EndRunForClose(HWND main_window) {
  auto* run = static_cast<ProgressRun*>(GetPropW(main_window, kActiveRunProperty));
  if (run == nullptr) return false;
  run->close_requested = true;
  // As 中断 does: the tools stop, and the worker removes what the run made.
  if (run->kind != RunKind::kAnalysis) EnableWindow(GetDlgItem(run->dialog, IDC_PROGRESS_ABORT), FALSE);
  run->abort->store(1);
  if (run->worker_done) FinishRun(run->dialog, run);
  return true;
}

void WaitForRunEnd(HWND main_window) {
  const auto going = [&] {
    const auto* run = static_cast<const ProgressRun*>(GetPropW(main_window, kActiveRunProperty));
    return run != nullptr && !run->worker_done;
  };
  // The worker's last word is a sent message, which GetMessage handles without returning: the
  // run is looked at again after every wake and at least every 100 ms, or the wait could outlast it.
  MSG message{};
  while (going()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    while (going() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that ends the program
        return;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // The run's end may have come in here: the dialog's EndDialog then woke its modal loop with a
  // posted message that this loop took. Another one lets that loop see its end.
  PostMessageW(main_window, WM_NULL, 0, 0);
}

void CenterOverOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT owner_rect{};
  RECT dialog_rect{};
  if (!owner || !GetWindowRect(owner, &owner_rect) || !GetWindowRect(dialog, &dialog_rect)) return;
  const ScreenRect inner{dialog_rect.left, dialog_rect.top, dialog_rect.right, dialog_rect.bottom};
  const auto place = CenterOver({owner_rect.left, owner_rect.top, owner_rect.right, owner_rect.bottom}, inner);
  if (place) MoveWindow(dialog, place->x, place->y, inner.width(), inner.height(), TRUE);
}

int RunProgressDialog(HWND owner, RunKind kind, std::atomic<int>& abort, ProgressWorker worker) {
  ProgressRun run;
  run.kind = kind;
  run.abort = &abort;
  run.worker = std::move(worker);
  const auto ended = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS), owner,
                                     ProgressDialogProc, reinterpret_cast<LPARAM>(&run));
  // The close goes on now, not from inside the dialog: a message that a dialog's loop takes after
  // its end is dropped.
  if (run.close_requested && run.main_window) PostMessageW(run.main_window, WM_CLOSE, 0, 0);
  return static_cast<int>(ended);
}

}  // namespace clipwright::ui
