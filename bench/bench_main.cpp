// Speed and memory figures: the core walk for the worst query of each of the
// eight search combinations, a whole-country search through the window, a
// header-click re-sort with the memory the window then holds, number
// resolution in the core and through telvara-lookup (against the time to copy
// its output, and its memory for aligned output), one start of telvara-lookup,
// 200 huge pastes into the query box, and the peak resident size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/TelvaraMain.h"
#include "search/NumberLookup.h"
#include "search/Search.h"

extern char** environ;

using namespace telvara;

namespace {

// Worst cases: the most matches ("0" partial, a long area text), or the
// longest comparison for exact matches (a long text that fails late).
void BM_Walk(benchmark::State& state) {
  const int areaMode = static_cast<int>(state.range(0));
  const int all = static_cast<int>(state.range(1));
  const int exact = static_cast<int>(state.range(2));
  const std::u16string_view pref = all ? std::u16string_view(u"全  国") : std::u16string_view(u"北海道");
  const std::u16string_view query = areaMode ? (exact ? std::u16string_view(u"檜山郡(厚沢部町(赤沼町、字美和)、江差町、上ノ国町)")
                                                      : std::u16string_view(u"郡"))
                                             : (exact ? std::u16string_view(u"013379") : std::u16string_view(u"0"));
  const SearchSettings s = CaptureSettings(pref, exact, areaMode == 1);
  for (auto _ : state) {
    int hits = 0;
    WalkSearch(LoadedStore(), query, pref, s, [&](int) { ++hits; });
    benchmark::DoNotOptimize(hits);
  }
}
BENCHMARK(BM_Walk)
    ->ArgsProduct({{0, 1}, {1, 0}, {0, 1}})
    ->ArgNames({"area", "all", "exact"})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// Resident and peak resident size in MB, as the kernel reports them.
std::pair<double, double> ResidentMB() {
  QFile status(QStringLiteral("/proc/self/status"));
  double rss = 0, hwm = 0;
  if (!status.open(QIODevice::ReadOnly)) return {rss, hwm};
  for (const QByteArray& line : status.readAll().split('\n')) {
    const QList<QByteArray> f = line.simplified().split(' ');
    if (f.size() < 2) continue;
    if (f[0] == "VmRSS:") rss = f[1].toDouble() / 1024.0;
    if (f[0] == "VmHWM:") hwm = f[1].toDouble() / 1024.0;
  }
  return {rss, hwm};
}

struct NoApp : AppServices {
  bool PrevInstance() const override { return false; }
  void End() override {}
};
struct NoBrowser : BrowserFactory {
  std::unique_ptr<Browser> Create() override { throw std::runtime_error("none"); }
};

// Each window benchmark gets a window of its own, as the program starts it,
// with its directory loaded here rather than on an activation the platform
// may never send; nothing carries over from an earlier benchmark. nullptr,
// and the benchmark stopped, when the window is not in that state.
std::unique_ptr<TelvaraMain> FreshWindow(benchmark::State* state = nullptr) {
  static NoApp app;
  static NoBrowser browsers;
  auto w = std::make_unique<TelvaraMain>(app, browsers);
  w->show();
  w->Form_Activate();
  const bool ready = w->Store.LastIndex == 1816 && w->Option1[0]->isChecked() && w->Check1->Value() == 0 &&
                     w->Combo1->currentText() == QStringLiteral("全  国") && w->ListView1->Count() == 0;
  if (ready) return w;
  if (state) state->SkipWithError("the window did not start in its start-up state");
  return nullptr;
}

// Searches for "0" in code mode over the whole country; false, and the
// benchmark stopped, unless it listed every code of the directory.
bool SearchAllCodes(TelvaraMain& w, benchmark::State& state) {
  w.Text1->setText(QStringLiteral("0"));
  w.Command1_Click();
  if (w.ListView1->Count() == 1790) return true;
  const std::string error = "search \"0\" listed " + std::to_string(w.ListView1->Count()) + " rows, not 1790";
  state.SkipWithError(error.c_str());
  return false;
}

void BM_SearchAllCodes(benchmark::State& state) {
  auto w = FreshWindow(&state);
  if (!w) return;
  for (auto _ : state)
    if (!SearchAllCodes(*w, state)) return;
  // Memory of the window holding the longest list, before any other window
  // benchmark has run in this process.
  const auto [rss, hwm] = ResidentMB();
  state.counters["resident_MB"] = rss;
  state.counters["peak_MB"] = hwm;
}
BENCHMARK(BM_SearchAllCodes)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// Each click on 局番 re-sorts the 1,790 rows the other way round.
void BM_HeaderResort(benchmark::State& state) {
  auto w = FreshWindow(&state);
  if (!w || !SearchAllCodes(*w, state)) return;
  ReportList& list = *w->ListView1;
  int order = -1;
  for (auto _ : state) {
    w->ListView1_ColumnClick(QStringLiteral("局番"));
    const QString first = list.SubItem(1, 1), last = list.SubItem(list.Count(), 1);
    const bool sorted = list.SortOrder() == 1 ? last < first : first < last;
    if (list.Count() != 1790 || !list.Sorted() || list.SortKey() != 1 || list.SortOrder() == order || !sorted) {
      state.SkipWithError("a click on 局番 did not re-sort the 1,790 rows the other way round");
      return;
    }
    order = list.SortOrder();
  }
}
BENCHMARK(BM_HeaderResort)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// Numbers as address books hold them: every code of the directory, filled to
// ten digits, written plain, with hyphens, in full-width digits and in the
// international form; and one in eight that resolves to nothing.
std::vector<std::u16string> SampleNumbers() {
  std::vector<std::u16string> numbers;
  const DirectoryStore& store = LoadedStore();
  for (int i = 0; i <= store.LastIndex; ++i) {
    std::u16string n(store.Directory.Code(i));
    if (n.empty()) continue;
    while (n.size() < 10) n += static_cast<char16_t>(u'0' + (n.size() * 7 + static_cast<size_t>(i)) % 10);
    std::u16string wide;
    for (char16_t c : n) wide += static_cast<char16_t>(c - u'0' + u'\uFF10');
    numbers.push_back(n);
    numbers.push_back(n.substr(0, 4) + u"-" + n.substr(4, 2) + u"-" + n.substr(6));
    numbers.push_back(wide.substr(0, 3) + u"－" + wide.substr(3));
    numbers.push_back(u"+81 " + n.substr(1, 3) + u" " + n.substr(4));
    numbers.push_back(u"(" + n.substr(0, 3) + u") " + n.substr(3));
    numbers.push_back(n.substr(0, 2) + u"." + n.substr(2));
    numbers.push_back(n.substr(0, 5) + u" " + n.substr(5));
    numbers.push_back(u"2" + n.substr(1));
  }
  return numbers;
}

// Resolution on one core: normalise, then the longest code from the index.
void BM_ResolveNumbers(benchmark::State& state) {
  static const CodeIndex index(LoadedStore());
  const auto numbers = SampleNumbers();
  size_t rows = 0;
  for (auto _ : state)
    for (const auto& n : numbers) rows += index.Resolve(n).rows.size();
  benchmark::DoNotOptimize(rows);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(numbers.size()));
}
BENCHMARK(BM_ResolveNumbers)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The peak resident size of a running process in kB, or 0.
long PeakKb(pid_t pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.simplified().split(' ').value(1).toLong();
  return 0;
}

// Runs a program with stdin from a file (or /dev/null) and its output to
// /dev/null or a file; returns its exit status. With maxKb, it also watches
// the program's peak resident size until it ends (the kernel's own figure
// for a spawned child starts from the parent's).
int RunProgram(const char* program, const std::vector<std::string>& args, const char* input = "/dev/null",
               const char* output = "/dev/null", long* maxKb = nullptr) {
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, input, O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv{const_cast<char*>(program)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, program, &files, nullptr, argv.data(), environ) == 0) {
    while (maxKb && waitpid(pid, &status, WNOHANG) == 0) {
      *maxKb = std::max(*maxKb, PeakKb(pid));
      usleep(2000);
    }
    if (!maxKb) waitpid(pid, &status, 0);
  }
  posix_spawn_file_actions_destroy(&files);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunLookup(const std::vector<std::string>& args, const char* input = "/dev/null", const char* output = "/dev/null",
              long* maxKb = nullptr) {
  return RunProgram(TELVARA_LOOKUP, args, input, output, maxKb);
}

// What any process start costs on this machine, to read the next figure against.
void BM_ProcessStartReference(benchmark::State& state) {
  for (auto _ : state)
    if (RunProgram("/bin/true", {}) != 0) state.SkipWithError("/bin/true failed");
}
BENCHMARK(BM_ProcessStartReference)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly(true);

// A start of the program with one number: process start to exit.
void BM_LookupStart(benchmark::State& state) {
  for (auto _ : state)
    if (RunLookup({"--number", "03-1234-5678"}) != 0) state.SkipWithError("telvara-lookup failed");
}
BENCHMARK(BM_LookupStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly(true);

// A file of numbers as address books hold them: the sample, over and over,
// to more than a million lines. lines is what the program must write for it
// as TSV: a line per row of each number's code, or one for a number with none.
struct BatchFile {
  std::string path;
  int64_t numbers = 0;
  int64_t lines = 0;
  BatchFile() {
    char name[] = "/tmp/telvara-bench-XXXXXX";
    const int fd = mkstemp(name);
    path = name;
    static const CodeIndex index(LoadedStore());
    std::string text;
    int64_t sampleLines = 0;
    const auto sample = SampleNumbers();
    for (const auto& n : sample) {
      text += QString::fromStdU16String(n).toStdString() + '\n';
      sampleLines += static_cast<int64_t>(std::max<size_t>(1, index.Resolve(n).rows.size()));
    }
    const int64_t times = 1000000 / static_cast<int64_t>(sample.size()) + 1;
    for (int64_t i = 0; i < times && fd >= 0; ++i)
      if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) path.clear();
    if (fd < 0) path.clear();
    close(fd);
    numbers = times * static_cast<int64_t>(sample.size());
    lines = times * sampleLines;
  }
  ~BatchFile() { unlink(path.c_str()); }
};

const BatchFile& Batch() {
  static const BatchFile file;
  return file;
}

int64_t LineCount(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  int64_t lines = 0;
  while (!f.atEnd()) lines += f.read(1 << 20).count('\n');
  return lines;
}

double Seconds(const std::chrono::steady_clock::time_point& since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The whole program on more than a million numbers, read as "--number -"
// reads them and written as TSV into a file, against the floor: cat copying
// a file of the same output bytes into a file. Both run in every iteration,
// so that the ratio is fair on a busy machine; the files go at once, so
// that their pages need not reach the disk. The same run into /dev/null
// gives the program's own rate, whatever the disk.
void BM_LookupBatch(benchmark::State& state) {
  const BatchFile& input = Batch();
  const std::string out = input.path + ".tsv", copy = input.path + ".copy";
  const std::vector<std::string> args{"--number", "-", "--format", "tsv"};
  if (input.path.empty() || RunLookup(args, input.path.c_str(), out.c_str()) != 1 || LineCount(out) != input.lines) {
    state.SkipWithError("telvara-lookup did not write a line per row");
    return;
  }
  const double bytes = static_cast<double>(QFileInfo(QString::fromStdString(out)).size());
  const std::string kept = out + ".kept";
  rename(out.c_str(), kept.c_str());
  double lookup = 0, floor = 0, alone = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    const int status = RunLookup(args, input.path.c_str(), out.c_str());
    const double took = Seconds(start);
    unlink(out.c_str());
    start = std::chrono::steady_clock::now();
    const int copied = RunProgram("/bin/cat", {kept}, "/dev/null", copy.c_str());
    floor += Seconds(start);
    unlink(copy.c_str());
    start = std::chrono::steady_clock::now();
    const int toNull = RunLookup(args, input.path.c_str());
    alone += Seconds(start);
    if (status != 1 || copied != 0 || toNull != 1) {
      state.SkipWithError("telvara-lookup or cat failed");
      break;
    }
    lookup += took;
    state.SetIterationTime(took);
  }
  unlink(kept.c_str());
  const auto n = static_cast<double>(input.numbers);
  state.counters["numbers"] = n;
  state.counters["out_MB"] = bytes / 1e6;
  state.counters["floor_ms"] = benchmark::Counter(floor * 1000, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = floor > 0 ? lookup / floor : 0;
  state.counters["to_null_per_second"] = alone > 0 ? n * static_cast<double>(state.iterations()) / alone : 0;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * input.numbers);
}
BENCHMARK(BM_LookupBatch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(15)
    ->ReportAggregatesOnly(true);

// Aligned output of the same million numbers, as at a terminal: the peak
// resident size of the program, which must not grow with its input.
void BM_LookupAlignedMemory(benchmark::State& state) {
  const BatchFile& input = Batch();
  long maxKb = 0;
  for (auto _ : state)
    if (RunLookup({"--number", "-", "--format", "aligned"}, input.path.c_str(), "/dev/null", &maxKb) != 1)
      state.SkipWithError("telvara-lookup failed");
  state.counters["input_MB"] = static_cast<double>(QFileInfo(QString::fromStdString(input.path)).size()) / 1e6;
  state.counters["peak_MB"] = static_cast<double>(maxKb) / 1024.0;
}
BENCHMARK(BM_LookupAlignedMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A user pasting 100,000 characters into the query box 200 times over, each
// paste replacing the whole query (Ctrl+A, Ctrl+V, real key events through
// the clipboard), then typing: resident size afterwards, and the time one
// keystroke takes in that box. False when the box did not end up with the
// text the keys made.
bool PasteReport() {
  const auto window = FreshWindow();
  if (!window) {
    std::printf("paste report: the window did not start in its start-up state\n");
    return false;
  }
  TelvaraMain& w = *window;
  QueryBox* box = w.Text1;
  QTest::mouseClick(w.Option1[1], Qt::LeftButton);  // area names: every character goes in
  box->setFocus();
  QString huge;
  huge.reserve(100000);
  while (huge.size() < 100000) huge += QStringLiteral("北海道札幌市中央区0123456789abcdefghij");
  huge.truncate(100000);
  QGuiApplication::clipboard()->setText(huge);
  const auto [rss0, hwm0] = ResidentMB();
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < 200; ++i) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  }
  const double pasteMs = static_cast<double>(timer.nsecsElapsed()) / 1e6 / 200;
  const bool whole = box->text() == huge;
  const auto [rss1, hwm1] = ResidentMB();
  std::vector<double> keyMs;
  for (int i = 0; i < 21; ++i) {
    timer.restart();
    QTest::keyClick(box, i % 2 ? Qt::Key_Backspace : Qt::Key_X);
    keyMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(keyMs.begin(), keyMs.end());
  const bool typed = box->text() == huge + QLatin1Char('x');
  std::printf("200 pastes of 100,000 characters into the query box (%s):\n",
              !whole ? "TEXT LOST" : !typed ? "KEYS LOST" : "kept whole");
  std::printf("  resident %.1f MB before, %.1f MB after (peak %.1f MB before, %.1f MB after)\n", rss0, rss1, hwm0,
              hwm1);
  std::printf("  one paste %.2f ms; one keystroke afterwards: median %.3f ms, slowest %.3f ms\n", pasteMs,
              keyMs[keyMs.size() / 2], keyMs.back());
  return whole && typed;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  // The benchmarks first: the memory figures of the search are then its own,
  // and the pastes' are read as growth.
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const bool pastesRight = PasteReport();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident size: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  return pastesRight ? 0 : 1;
}
