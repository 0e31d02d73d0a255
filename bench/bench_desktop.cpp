// What the two programs cost a desktop, against the floor every Qt Widgets
// program pays (bench_bare_window: a QLabel window of the editor's size):
//
//   BM_StartToMappedWindow/P   a new process up to its main window mapped
//                              and viewable, as the X server says (P: bare,
//                              editor on the demo catalogue, stamp)
//   BM_StartSideBySide         the same for the three started one after
//                              another, the ratios to the bare window taken
//                              start by start (counters editor_vs_bare,
//                              stamp_vs_bare)
//   BM_ResidentMemory          resident memory of each once its window is up
//                              and it has gone quiet; counters RSS and PSS in
//                              MiB and each program's share of the bare one
//   BM_StampWakeups/idle       context switches per second of all the stamp's
//                              threads while its text does not change
//   BM_StampWakeups/every:1    the same with --command … --every 1: rounds of
//                              wake-ups per period (one is the command's run)
//
// The programs run on X11: on $DISPLAY when it can be reached, otherwise on
// an Xvfb with openbox of the benchmark's own. A window is taken as mapped
// when the server reports it viewable (all its ancestors mapped), never on
// the program's own say-so. The repetitions of all benchmarks run
// interleaved in random order, so that load from outside falls on every side
// alike; each figure is a ratio of medians of one run.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr auto kWindowTimeout = std::chrono::seconds(60);
// Quiet: less CPU than this over a window of kQuietWindow.
constexpr auto kQuietWindow = milliseconds(300);
constexpr double kQuietCpuSeconds = 0.003;
constexpr auto kSettleTimeout = std::chrono::seconds(30);
constexpr int kStartsPerRepetition = 4;
constexpr auto kIdleWindow = std::chrono::seconds(3);
constexpr int kEverySeconds = 1;
constexpr int kEveryPeriods = 4;
// Wake-ups closer than this belong to one round (a command run is a timer,
// a fork, its output and its end, within a few milliseconds).
constexpr auto kRoundGap = milliseconds(150);
constexpr auto kSamplePeriod = milliseconds(10);

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// --- processes ---------------------------------------------------------------

// The environment of the programs: the parent's, with these set (an empty
// value removes the variable).
std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& changes) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (!changes.count(name)) env.push_back(entry);
  }
  for (const auto& [name, value] : changes)
    if (!value.empty()) env.push_back(name + "=" + value);
  return env;
}

// A process of ours, ended (SIGKILL) with this object and with the
// benchmark: a benchmark stopped by a signal leaves nothing running.
class Child {
 public:
  Child(const std::string& program, const std::vector<std::string>& args,
        const std::vector<std::string>& env, int outFd = -1) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(127);
      if (outFd >= 0 && outFd != 3) {
        dup2(outFd, 3);
        close(outFd);
      }
      const int null = open("/dev/null", O_RDWR);
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      if (!std::getenv("QM_BENCH_VERBOSE")) dup2(null, STDERR_FILENO);
      execve(program.c_str(), argv.data(), envp.data());
      _exit(127);
    }
    if (pid_ < 0) throw std::runtime_error("fork failed");
  }
  ~Child() { Kill(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t Pid() const { return pid_; }
  bool Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    return true;
  }
  // Waits for the end; its exit status, or -1 when killed or already reaped.
  int Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    Wait();
  }

 private:
  pid_t pid_ = -1;
};

// CPU time of all the threads of a process.
double CpuSeconds(pid_t pid) {
  double total = 0;
  std::error_code ec;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream in(task.path() / "schedstat");
    unsigned long long ns = 0;
    if (in >> ns) total += static_cast<double>(ns) * 1e-9;
  }
  return total;
}

// Voluntary and involuntary context switches, thread by thread.
std::map<int, long> Switches(pid_t pid) {
  std::map<int, long> out;
  std::error_code ec;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream in(task.path() / "status");
    std::string line;
    long n = 0;
    while (std::getline(in, line))
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
          line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
        n += std::stol(line.substr(line.find(':') + 1));
    out[std::stoi(task.path().filename())] = n;
  }
  return out;
}

long Total(const std::map<int, long>& switches) {
  long n = 0;
  for (const auto& [tid, count] : switches) n += count;
  return n;
}

struct Memory {
  double rssMiB = 0, pssMiB = 0;
};

Memory MemoryOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
  Memory m;
  std::string key;
  double kib = 0;
  std::string unit;
  while (in >> key) {
    if (key == "Rss:" && in >> kib >> unit) m.rssMiB = kib / 1024;
    if (key == "Pss:" && in >> kib >> unit) m.pssMiB = kib / 1024;
  }
  return m;
}

// Waits until the process has used next to no CPU for a while: its start-up
// work, deferred or not, is over.
bool WaitQuiet(pid_t pid) {
  const auto deadline = Clock::now() + kSettleTimeout;
  double before = CpuSeconds(pid);
  while (Clock::now() < deadline) {
    std::this_thread::sleep_for(kQuietWindow);
    const double now = CpuSeconds(pid);
    if (now - before < kQuietCpuSeconds) return true;
    before = now;
  }
  return false;
}

// --- the X display -------------------------------------------------------------

// Which of a process's windows is its main window.
struct WindowWanted {
  bool normal = false;  // of the normal type (the editor's progress window is not)
  std::string title;    // this title, when not empty
};

class Display {
 public:
  Display() : home_(fs::temp_directory_path() / ("qm-bench-desktop-" + std::to_string(getpid()))) {
    fs::create_directories(home_);
    const char* given = std::getenv("DISPLAY");
    if (given && *given && Connect(given)) {
      name_ = given;
    } else {
      StartOwnServer();
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    root_ = screen->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    for (auto& [name, atom] : atoms_) atom = Atom(name.c_str());
    xcb_flush(c_);
  }
  ~Display() {
    if (c_) xcb_disconnect(c_);
    wm_.reset();
    server_.reset();
    std::error_code ec;
    fs::remove_all(home_, ec);
  }

  const std::string& Name() const { return name_; }
  const fs::path& Home() const { return home_; }

  // Waits until `pid` has a viewable main window; its id, 0 when none came.
  xcb_window_t WaitForWindow(pid_t pid, const WindowWanted& wanted, Child& child) {
    const auto deadline = Clock::now() + kWindowTimeout;
    std::set<xcb_window_t> candidates = TopLevels();
    for (const xcb_window_t w : candidates) Watch(w);
    for (;;) {
      for (const xcb_window_t w : candidates)
        if (IsMain(w, pid, wanted)) return w;
      if (Clock::now() > deadline || !child.Running()) return 0;
      // Between checks, only what the server reports: a new window, a map,
      // a property set.
      pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
      xcb_generic_event_t* e = xcb_poll_for_event(c_);
      if (!e) {
        poll(&p, 1, 100);
        e = xcb_poll_for_event(c_);
      }
      for (; e; e = xcb_poll_for_queued_event(c_)) {
        if ((e->response_type & 0x7f) == XCB_CREATE_NOTIFY) {
          const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(e);
          if (created->parent == root_ && candidates.insert(created->window).second)
            Watch(created->window);
        }
        std::free(e);
      }
      if (xcb_connection_has_error(c_)) throw std::runtime_error("lost the X display");
    }
  }

  // Waits until the window manager has let go of a window of a process that
  // ended, so that the next start does not share the server with that work.
  void WaitReleased(xcb_window_t window) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
      const std::vector<uint32_t> managed = Cardinals(root_, atoms_["_NET_CLIENT_LIST"], 4096);
      if (std::find(managed.begin(), managed.end(), window) == managed.end()) break;
      std::this_thread::sleep_for(milliseconds(2));
    }
    Drain();
  }

 private:
  bool Connect(const std::string& name) {
    xcb_connection_t* c = xcb_connect(name.c_str(), nullptr);
    if (xcb_connection_has_error(c)) {
      xcb_disconnect(c);
      return false;
    }
    c_ = c;
    return true;
  }

  void StartOwnServer() {
    // Xvfb picks a free display and writes its number to fd 3.
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    server_ = std::make_unique<Child>("/usr/bin/Xvfb",
                                      std::vector<std::string>{"-displayfd", "3", "-screen", "0",
                                                               "1600x1200x24", "-nolisten", "tcp"},
                                      EnvironmentWith({}), fds[1]);
    close(fds[1]);
    std::string number;
    char ch;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 20000) > 0 && read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
    close(fds[0]);
    if (number.empty() || !Connect(":" + number))
      throw std::runtime_error("Xvfb did not start (is it installed?)");
    name_ = ":" + number;
    wm_ = std::make_unique<Child>(
        "/usr/bin/openbox", std::vector<std::string>{"--sm-disable"},
        EnvironmentWith({{"DISPLAY", name_},
                         {"XDG_CONFIG_HOME", (home_ / "wm-config").string()},
                         {"XDG_CACHE_HOME", (home_ / "wm-cache").string()}}));
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    const xcb_atom_t check = Atom("_NET_SUPPORTING_WM_CHECK");
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Cardinals(screen->root, check, 1).empty()) {
      if (Clock::now() > deadline || !wm_->Running())
        throw std::runtime_error("openbox did not start (is it installed?)");
      std::this_thread::sleep_for(milliseconds(10));
    }
  }

  xcb_atom_t Atom(const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
  }

  std::vector<uint32_t> Cardinals(xcb_window_t w, xcb_atom_t property, uint32_t most) {
    std::vector<uint32_t> out;
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, most), nullptr);
    if (r && r->format == 32) {
      const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
      out.assign(v, v + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return out;
  }

  std::string Text(xcb_window_t w, xcb_atom_t property) {
    std::string out;
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    if (r && r->format == 8)
      out.assign(static_cast<const char*>(xcb_get_property_value(r)),
                 static_cast<size_t>(xcb_get_property_value_length(r)));
    std::free(r);
    return out;
  }

  std::set<xcb_window_t> TopLevels() {
    std::set<xcb_window_t> out;
    xcb_query_tree_reply_t* r = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
    if (r) {
      const xcb_window_t* children = xcb_query_tree_children(r);
      out.insert(children, children + xcb_query_tree_children_length(r));
    }
    std::free(r);
    return out;
  }

  // A window's own map and property changes wake the wait; with a window
  // manager that reparents, the client's map comes before the frame's, which
  // the root's substructure reports.
  void Watch(xcb_window_t w) {
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c_, w, XCB_CW_EVENT_MASK, &mask);
  }

  bool IsMain(xcb_window_t w, pid_t pid, const WindowWanted& wanted) {
    const std::vector<uint32_t> owner = Cardinals(w, atoms_["_NET_WM_PID"], 1);
    if (owner.empty() || owner[0] != static_cast<uint32_t>(pid)) return false;
    if (wanted.normal) {
      const std::vector<uint32_t> types = Cardinals(w, atoms_["_NET_WM_WINDOW_TYPE"], 16);
      if (std::find(types.begin(), types.end(), atoms_["_NET_WM_WINDOW_TYPE_NORMAL"]) ==
          types.end())
        return false;
    }
    if (!wanted.title.empty() && Text(w, atoms_["_NET_WM_NAME"]) != wanted.title) return false;
    xcb_get_window_attributes_reply_t* a =
        xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr);
    const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return viewable;
  }

  void Drain() {
    while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) std::free(e);
  }

  fs::path home_;
  std::string name_;
  std::unique_ptr<Child> server_, wm_;
  xcb_connection_t* c_ = nullptr;
  xcb_window_t root_ = 0;
  std::map<std::string, xcb_atom_t> atoms_{{"_NET_WM_PID", 0},
                                           {"_NET_WM_WINDOW_TYPE", 0},
                                           {"_NET_WM_WINDOW_TYPE_NORMAL", 0},
                                           {"_NET_WM_NAME", 0},
                                           {"_NET_CLIENT_LIST", 0}};
};

// --- the programs ----------------------------------------------------------------

enum class Program { Bare, Editor, Stamp };

struct Launch {
  std::string path;
  std::vector<std::string> args;
  WindowWanted wanted;
};

// The display, and a program folder with the demo catalogue and a copy of
// each program (they read the catalogue beside their own file), set up once.
class Desktop {
 public:
  static Desktop& Get() {
    static Desktop d;
    return d;
  }

  Launch LaunchOf(Program p, const std::vector<std::string>& extra = {}) const {
    switch (p) {
      case Program::Bare:
        return {Path("bench_bare_window"), extra, {true, "Quillmark bare window"}};
      case Program::Editor:
        return {Path("QuillmarkOpt"), extra, {true, {}}};
      case Program::Stamp:
        return {Path("quillmark-host"), extra, {false, "Quillmark"}};
    }
    return {};
  }

  // A started program with its main window up.
  struct Running {
    std::unique_ptr<Child> child;
    xcb_window_t window = 0;
    Clock::duration toWindow{};
  };

  Running Start(const Launch& launch) {
    Running r;
    const auto start = Clock::now();
    r.child = std::make_unique<Child>(launch.path, launch.args, env_);
    r.window = display_.WaitForWindow(r.child->Pid(), launch.wanted, *r.child);
    r.toWindow = Clock::now() - start;
    if (!r.window)
      throw std::runtime_error(fs::path(launch.path).filename().string() +
                               " showed no window (QM_BENCH_VERBOSE=1 shows its errors)");
    return r;
  }

  void Stop(Running& r) {
    r.child->Kill();
    // What an editor that is closed leaves: no lock file. One left by a kill
    // would send the next start through the taking over of a stale lock,
    // which a user's start does not go through.
    std::error_code ec;
    fs::remove(runtime_ / "quillmark" / "QuillmarkOpt.lock", ec);
    display_.WaitReleased(r.window);
  }

 private:
  Desktop() {
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    folder_ = display_.Home() / "program";
    fs::create_directories(folder_);
    runtime_ = display_.Home() / "runtime";
    const fs::path& runtime = runtime_;
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    {
      Child democat((bin / "quillmark-democat").string(), {folder_.string()},
                    EnvironmentWith({{"QT_QPA_PLATFORM", "offscreen"}}));
      if (democat.Wait() != 0) throw std::runtime_error("quillmark-democat failed");
    }
    for (const char* exe : {"QuillmarkOpt", "quillmark-host", "bench_bare_window"})
      fs::copy_file(bin / exe, folder_ / exe, fs::copy_options::overwrite_existing);
    env_ = EnvironmentWith({{"DISPLAY", display_.Name()},
                            {"QT_QPA_PLATFORM", "xcb"},
                            {"XDG_RUNTIME_DIR", runtime.string()},
                            {"XDG_CONFIG_HOME", (runtime / "config").string()},
                            {"XDG_DATA_HOME", (runtime / "data").string()},
                            {"WAYLAND_DISPLAY", ""},
                            {"SESSION_MANAGER", ""},
                            {"QUILLMARK_LANG", ""},
                            {"QUILLMARK_LINK_DIR", ""},
                            {"QUILLMARK_STAMP_LOOK", ""},
                            {"QUILLMARK_STAMP_FRAME", ""}});
    // The first start of each writes what only a first start writes (the
    // stamp's place, the store) and reads the programs into the page cache:
    // every measured start is a warm one.
    for (const Program p : {Program::Bare, Program::Editor, Program::Stamp}) {
      Running r = Start(LaunchOf(p));
      WaitQuiet(r.child->Pid());
      Stop(r);
    }
  }

  std::string Path(const char* exe) const { return (folder_ / exe).string(); }

  Display display_;
  fs::path folder_, runtime_;
  std::vector<std::string> env_;
};

const std::array<std::pair<Program, const char*>, 3> kPrograms{
    {{Program::Bare, "bare"}, {Program::Editor, "editor"}, {Program::Stamp, "stamp"}}};

// --- benchmarks ----------------------------------------------------------------

void BM_StartToMappedWindow(benchmark::State& state, Program program) {
  try {
    Desktop& desktop = Desktop::Get();
    const Launch launch = desktop.LaunchOf(program);
    for (auto _ : state) {
      Desktop::Running r = desktop.Start(launch);
      state.SetIterationTime(Seconds(r.toWindow));
      desktop.Stop(r);
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}
BENCHMARK_CAPTURE(BM_StartToMappedWindow, bare, Program::Bare)
    ->UseManualTime()
    ->Iterations(kStartsPerRepetition)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartToMappedWindow, editor, Program::Editor)
    ->UseManualTime()
    ->Iterations(kStartsPerRepetition)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartToMappedWindow, stamp, Program::Stamp)
    ->UseManualTime()
    ->Iterations(kStartsPerRepetition)
    ->Unit(benchmark::kMillisecond);

// The start-up ratios from starts side by side: each iteration starts the
// three one after another (in an order that turns from one iteration to the
// next), so that a burst of load from outside falls on all three; a
// repetition's figure is the median of its iterations' ratios.
constexpr int kTriplesPerRepetition = 8;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0.0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void BM_StartSideBySide(benchmark::State& state) {
  std::array<std::vector<double>, 3> times;
  std::vector<double> editor, stamp;
  int rounds = 0;
  try {
    Desktop& desktop = Desktop::Get();
    for (auto _ : state) {
      std::array<double, 3> t{};
      for (size_t k = 0; k < kPrograms.size(); ++k) {
        const size_t i = (k + static_cast<size_t>(rounds)) % kPrograms.size();
        Desktop::Running r = desktop.Start(desktop.LaunchOf(kPrograms[i].first));
        t[i] = Seconds(r.toWindow);
        desktop.Stop(r);
      }
      for (size_t i = 0; i < t.size(); ++i) times[i].push_back(t[i]);
      editor.push_back(t[1] / t[0]);
      stamp.push_back(t[2] / t[0]);
      ++rounds;
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  for (size_t i = 0; i < kPrograms.size(); ++i)
    state.counters[std::string(kPrograms[i].second) + "_ms"] = 1000 * Median(times[i]);
  state.counters["editor_vs_bare"] = Median(editor);
  state.counters["stamp_vs_bare"] = Median(stamp);
}
BENCHMARK(BM_StartSideBySide)->Iterations(kTriplesPerRepetition)->Unit(benchmark::kMillisecond);

// Each iteration starts all three, one after another, in an order that turns
// from one iteration to the next.
void BM_ResidentMemory(benchmark::State& state) {
  std::array<Memory, 3> sum{};
  int rounds = 0;
  try {
    Desktop& desktop = Desktop::Get();
    for (auto _ : state) {
      for (size_t k = 0; k < kPrograms.size(); ++k) {
        const size_t i = (k + static_cast<size_t>(rounds)) % kPrograms.size();
        Desktop::Running r = desktop.Start(desktop.LaunchOf(kPrograms[i].first));
        if (!WaitQuiet(r.child->Pid())) throw std::runtime_error("never went quiet");
        const Memory m = MemoryOf(r.child->Pid());
        sum[i].rssMiB += m.rssMiB;
        sum[i].pssMiB += m.pssMiB;
        desktop.Stop(r);
      }
      ++rounds;
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  for (size_t i = 0; i < kPrograms.size(); ++i) {
    const std::string name = kPrograms[i].second;
    state.counters[name + "_rss_MiB"] = sum[i].rssMiB / rounds;
    state.counters[name + "_pss_MiB"] = sum[i].pssMiB / rounds;
    if (i > 0) {
      state.counters[name + "_rss_vs_bare"] = sum[i].rssMiB / sum[0].rssMiB;
      state.counters[name + "_pss_vs_bare"] = sum[i].pssMiB / sum[0].pssMiB;
    }
  }
}
BENCHMARK(BM_ResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Samples the stamp's context switches every few milliseconds over `span`;
// a round is a run of samples with a switch, rounds closer than kRoundGap
// counting as one.
struct Wakeups {
  long switches = 0;
  int rounds = 0;
};

Wakeups Watch(pid_t pid, Clock::duration span) {
  Wakeups w;
  std::map<int, long> last = Switches(pid);
  const auto end = Clock::now() + span;
  std::optional<Clock::time_point> lastWake;
  while (Clock::now() < end) {
    std::this_thread::sleep_for(kSamplePeriod);
    const std::map<int, long> now = Switches(pid);
    long woke = 0;
    for (const auto& [tid, n] : now) {
      const auto before = last.find(tid);
      woke += n - (before == last.end() ? 0 : before->second);
    }
    // A thread that ended took its switches with it: it woke all the same.
    if (woke == 0 && now.size() != last.size()) woke = 1;
    if (woke > 0) {
      const auto at = Clock::now();
      if (!lastWake || at - *lastWake > kRoundGap) ++w.rounds;
      lastWake = at;
      w.switches += woke;
    }
    last = now;
  }
  return w;
}

// Waits for the end of a round of wake-ups: one seen, then kRoundGap without.
bool WaitRoundOver(pid_t pid, Clock::duration timeout) {
  const auto deadline = Clock::now() + timeout;
  std::map<int, long> last = Switches(pid);
  std::optional<Clock::time_point> lastWake;
  while (Clock::now() < deadline) {
    std::this_thread::sleep_for(kSamplePeriod);
    const std::map<int, long> now = Switches(pid);
    if (now != last) lastWake = Clock::now();
    if (lastWake && Clock::now() - *lastWake > kRoundGap) return true;
    last = now;
  }
  return false;
}

void BM_StampWakeups(benchmark::State& state, bool every) {
  std::vector<std::string> args{"--text", "+38°"};
  if (every) args = {"--command", "echo +38°", "--every", std::to_string(kEverySeconds)};
  try {
    Desktop& desktop = Desktop::Get();
    const Launch launch = desktop.LaunchOf(Program::Stamp, args);
    for (auto _ : state) {
      Desktop::Running r = desktop.Start(launch);
      const pid_t pid = r.child->Pid();
      if (!WaitQuiet(pid)) throw std::runtime_error("the stamp never went quiet");
      if (every) {
        // The window opens just after a run and lasts half a period more
        // than kEveryPeriods: it holds exactly kEveryPeriods runs.
        if (!WaitRoundOver(pid, std::chrono::seconds(3 * kEverySeconds)))
          throw std::runtime_error("the stamp did not run its command");
        const Wakeups w = Watch(pid, std::chrono::seconds(kEverySeconds * kEveryPeriods) +
                                         std::chrono::milliseconds(500 * kEverySeconds));
        if (w.rounds == 0) throw std::runtime_error("the stamp stopped running its command");
        state.counters["rounds_per_period"] = static_cast<double>(w.rounds) / kEveryPeriods;
        state.counters["switches_per_round"] =
            w.rounds ? static_cast<double>(w.switches) / w.rounds : 0.0;
      } else {
        const long before = Total(Switches(pid));
        std::this_thread::sleep_for(kIdleWindow);
        const long after = Total(Switches(pid));
        state.counters["wakeups_per_s"] =
            static_cast<double>(after - before) / Seconds(kIdleWindow);
      }
      desktop.Stop(r);
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}
BENCHMARK_CAPTURE(BM_StampWakeups, idle, false)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StampWakeups, every_1, true)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return qm::bench::RunBenchmarksInterleaved(argc, argv); }
