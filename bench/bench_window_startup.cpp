// From the start of the window program to its main window on the screen,
// next to the floor: a Qt Widgets program that shows an empty window,
// measured the same way in the same run.
//
// Needs an X display (run under Xvfb: xvfb-run -a bench_window_startup).
// Each iteration starts the program, waits until the X server maps its
// first top-level window, then ends it.
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

// Starts `program` and returns the seconds until a window is mapped on the
// root window, or a negative value when none appears within 10 s.
double SecondsToFirstWindow(Display* display, const char* program) {
  const Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, True);  // drop events from earlier runs

  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  double seconds = -1.0;
  const auto deadline = start + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify) {
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        break;
      }
    }
    if (seconds >= 0.0) break;
    usleep(200);
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  return seconds;
}

// One connection for the whole run. Opening one per repetition failed now
// and then while the X server was still dropping the clients of the
// programs just ended, and a repetition without iterations aborts the
// benchmark library's statistics.
Display* SharedDisplay() {
  static Display* const display = XOpenDisplay(nullptr);
  return display;
}

void BM_WindowStartup(benchmark::State& state, const char* program) {
  Display* display = SharedDisplay();
  if (display == nullptr) {
    state.SkipWithError("no X display: run under xvfb-run");
    return;
  }
  for (auto _ : state) {
    const double seconds = SecondsToFirstWindow(display, program);
    if (seconds < 0.0) {
      state.SkipWithError("no window appeared within 10 s");
      break;
    }
    state.SetIterationTime(seconds);
  }
}

}  // namespace

BENCHMARK_CAPTURE(BM_WindowStartup, floor_empty_qt_window, ELPROPS_FLOOR_PROGRAM)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_WindowStartup, elprops_main_window, ELPROPS_WINDOW_PROGRAM)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

BENCHMARK_MAIN();
