// File intake: the files a page is given (chosen in the open-file dialog or dropped) are probed
// on the analysis worker, many to an FFmpeg run and several runs at once, and taken in order:
// each that can be read lands in the page, each that cannot is listed in error.txt. The split
// page's file is then scanned for its frames.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/probe.h"
#include "analysis/stream_model.h"
#include "tools/run_observer.h"

namespace clipwright {

// The paths of an open-file dialog's buffer: one full path, or a folder followed by names, each
// ended by a zero, the list ended by an empty string. The content may stop without its final
// zeros (a full buffer); what is there is still read.
std::vector<std::string> PathsFromOpenDialog(std::u16string_view buffer);

// The files of a drop, in drop order: folders and entries whose attributes cannot be read are
// skipped, except names longer than a list row holds, which stay for the probe to turn down; a
// single-file target keeps only the first file.
std::vector<std::string> PathsFromDrop(const std::vector<std::string>& dropped, bool single_file);

// How many files a batch probes at the same time: one per processor core, at most four.
int ProbesAtOnce();

struct IntakeRequest {
  std::vector<std::string> paths;  // the batch, in order
  std::string ffmpeg;
  // A list page: the files it holds already, which count against FILE_CAPACITY. None (-1): a
  // single-file target.
  int listed = -1;
  bool volume = false;  // the volume page takes only the files AACGain works on
  // The split page's frame data, which its file's scan fills; null on every other page.
  SplitPageState* split = nullptr;
  // Folder of error.txt, ending in a separator; empty means the executable's folder.
  std::string error_folder;
  // However many run at once, the files are taken, turned down and reported in batch order.
  int probes_at_once = ProbesAtOnce();
  // The most files one FFmpeg run is given; 1 probes each file on its own.
  std::size_t files_per_probe = kFilesPerProbe;
};

// Where the files of a batch land: the page. Called on the worker thread.
class IntakeSink {
 public:
  virtual ~IntakeSink() = default;
  virtual void Added(const ProbedFile& file) = 0;
  // The split page's scan failed: its range is gone, and with a video the file too (the page
  // shows no file then); an audio file keeps its path and streams.
  virtual void SplitScanFailed(bool forget_file) = 0;
};

struct IntakeOutcome {
  bool not_added = false;    // a file of the batch could not be added (see error.txt)
  bool aborted = false;
  bool scan_failed = false;  // the split page's scan failed
  // The split page's file has been probed and scanned without a failure: the page sets up its range.
  bool split_ready() const { return !not_added && !aborted && !scan_failed; }
};

// The analysis worker: probes the paths of the batch and takes them in order. The sink and the
// observer are called on the calling thread only.
IntakeOutcome AnalyseFiles(const IntakeRequest& request, IntakeSink& sink, RunObserver& observer,
                           const std::atomic<int>& abort);

}  // namespace clipwright
