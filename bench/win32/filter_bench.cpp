// One keystroke in the filter box over a listed folder of 100,000 files: the box's text set
// as typing sets it, the rows narrowed (or widened again) and the count shown, through the
// real window.
//
//   filter_bench.exe folder [repetitions]
//
// The folder is the listing harness's one, made from Linux (scripts/bench.sh does).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"

namespace velmora {
namespace bench {
namespace {

// This thread's processor time, in seconds: on a busy machine the wall clock also counts
// other programs' turns.
double ThreadSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto value = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return value(kernel) + value(user);
}

int Run(int argc, char** argv) {
  CheckCodePage();
  InitControls();
  const std::vector<std::string> args = Arguments(argc, argv);
  const std::string folder = args.size() > 0 ? WithoutBackslash(args[0]) : std::string();
  const int reps = args.size() > 1 && std::atoi(args[1].c_str()) > 0 ? std::atoi(args[1].c_str()) : 3;
  if (folder.empty()) {
    std::printf("usage: filter_bench.exe folder [repetitions]\n");
    return 2;
  }
  const std::string exeDir = MakeTempFolder("filter-exe");
  // Typed one character at a time, then taken back, then a wildcard and a width-folded text.
  const std::vector<std::wstring> typed = {L"f", L"fi", L"fil", L"file", L"file_", L"file_0", L"file_00",
                                           L"file_001", L"file_00", L"file_0", L"", L"*.JPG", L"", L"ＦＩＬＥ＿０９",
                                           L""};
  std::vector<double> times;
  std::size_t records = 0;
  std::vector<int> shown;
  double cpuPerKeystroke = 0;
  QuietPrompter prompter;
  {
    AppEnvironment env;
    env.exeDir = exeDir;
    TOrvikBinder window(env, &prompter);
    window.Create(GetModuleHandleA(nullptr));
    window.browser().ListFolder(folder, false);
    WaitForListing(window);
    // The worker completes rows meanwhile; the keystrokes are measured without it.
    window.browser().StopFileInfoWorker();
    records = window.browser().records().size();
    HWND box = window.control(IDC_FILTER);
    const double cpuStart = ThreadSeconds();
    for (int rep = 0; rep < reps; ++rep) {
      for (const std::wstring& text : typed) {
        times.push_back(Time([&] { SetWindowTextW(box, text.c_str()); }));
        if (rep == 0) shown.push_back(window.browser().ShownRowCount());
      }
    }
    cpuPerKeystroke = (ThreadSeconds() - cpuStart) / static_cast<double>(times.size());
    PumpPending(window);
  }
  std::printf("folder: %s, %s records, %d repetitions of %zu keystrokes\n", folder.c_str(), Count(records).c_str(),
              reps, typed.size());
  for (std::size_t i = 0; i < typed.size(); ++i)
    std::printf("  box \"%s\": %s rows\n", WideToAnsi(typed[i].c_str()).c_str(), Count(static_cast<unsigned long long>(shown[i])).c_str());
  const double median = Median(times);
  const double worst = *std::max_element(times.begin(), times.end());
  Table table({"measurement", "median ms", "max ms"});
  table.Add({"one keystroke (text set, rows narrowed, count shown)", Fixed(median * 1000, 1), Fixed(worst * 1000, 1)});
  table.Print("Filtering 100,000 rows");
  std::printf("\nprocessor time per keystroke (this thread, mean): %.1f ms\n", cpuPerKeystroke * 1000);
  std::printf("\nmedian keystroke: %.1f ms (target: at most 50) %s\n", median * 1000,
              median <= 0.050 ? "within" : "ABOVE TARGET");
  RemoveTree(Widen(exeDir));
  std::fflush(stdout);
  return 0;
}

}  // namespace
}  // namespace bench
}  // namespace velmora

int main(int argc, char** argv) { return velmora::bench::Run(argc, argv); }
