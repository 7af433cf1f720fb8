// File intake: how files enter a page, from the open-file dialog or a drop, are analysed in one
// batch under the progress dialog, and how the user is offered the error list afterwards.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis_job.h"
#include "common/dialog.h"
#include "common/requests.h"

namespace clipwright {

// What file intake needs from the window system. The Win32 page implements it for its own
// window; tests implement it in memory.
class IntakeShell {
 public:
  virtual ~IntakeShell() = default;

  // Shows the open-file dialog owned by the page, with several files allowed or one only, and
  // returns the content of its file-name buffer (see PathsFromOpenDialog); nothing when the user
  // cancelled or the dialog failed (the shell tells the user about a failure itself).
  virtual std::optional<std::u16string> ChooseFiles(bool multiple) = 0;

  // Runs the analysis progress dialog modally, owned by the page, until its worker has ended it.
  // The dialog's worker calls AnalysisWorker(job, progress dialog, page, requests).
  virtual void RunAnalysisDialog(AnalysisJob& job) = 0;

  // Opens the error list (`path`, the file itself) in the user's viewer.
  virtual void OpenErrorList(const std::string& path) = 0;
};

// The paths of an open-file dialog's buffer: one full path, or a folder followed by names, each
// ended by a zero, the list ended by an empty string. The content may stop without its final
// zeros (a full buffer); what is there is still read.
std::vector<std::string> PathsFromOpenDialog(std::u16string_view buffer);

// The files of a drop, in drop order: folders and entries whose attributes cannot be read are
// skipped, except names longer than a list row holds, which stay for the probe to turn down; a
// single-file target keeps only the first file.
std::vector<std::string> PathsFromDrop(const std::vector<std::string>& dropped, bool single_file);

// Adds files to the job's target. `dropped` holds the paths of a drop, or is null to ask with
// the open-file dialog. The job comes from the page with its target, storage and (split page)
// scan slots; AddFiles fills in the paths. Returns 0 when FFmpeg is not configured (nothing else
// happens then), else 1.
int AddFiles(AnalysisJob& job, Dialog& page, Requests& requests, IntakeShell& shell,
             const std::vector<std::string>* dropped);

// The analysis worker: probes every path of the batch in order, and ends the progress dialog
// with 2 when the batch was aborted or the split page's scan failed, else 1.
void AnalysisWorker(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests);

}  // namespace clipwright
