// Speed and memory figures: the core walk for the worst query of each of the
// eight search combinations, a whole-country search through the window, a
// header-click re-sort, 200 huge pastes into the query box, and the peak
// resident size afterwards.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/TelvaraMain.h"
#include "search/Search.h"

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

struct NoApp : AppServices {
  bool PrevInstance() const override { return false; }
  void End() override {}
};
struct NoBrowser : BrowserFactory {
  std::unique_ptr<Browser> Create() override { throw std::runtime_error("none"); }
};

TelvaraMain& Window() {
  static NoApp app;
  static NoBrowser browsers;
  static TelvaraMain* window = [] {
    auto* w = new TelvaraMain(app, browsers);
    w->show();
    w->Form_Activate();
    return w;
  }();
  return *window;
}

void BM_SearchAllCodes(benchmark::State& state) {
  TelvaraMain& w = Window();
  for (auto _ : state) {
    w.Text1->setText(QStringLiteral("0"));
    w.Command1_Click();
    if (w.ListView1->Count() != 1790) state.SkipWithError("wrong row count");
  }
}
BENCHMARK(BM_SearchAllCodes)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_HeaderResort(benchmark::State& state) {
  TelvaraMain& w = Window();
  w.Text1->setText(QStringLiteral("0"));
  w.Command1_Click();
  for (auto _ : state) w.ListView1_ColumnClick(QStringLiteral("局番"));
}
BENCHMARK(BM_HeaderResort)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

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

// A user pasting 100,000 characters into the query box 200 times over, each
// paste replacing the whole query (Ctrl+A, Ctrl+V, real key events through
// the clipboard), then typing: resident size afterwards, and the time one
// keystroke takes in that box.
void PasteReport() {
  TelvaraMain& w = Window();
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
  std::printf("200 pastes of 100,000 characters into the query box (%s):\n", whole ? "kept whole" : "TEXT LOST");
  std::printf("  resident %.1f MB before, %.1f MB after (peak %.1f MB before, %.1f MB after)\n", rss0, rss1, hwm0,
              hwm1);
  std::printf("  one paste %.2f ms; one keystroke afterwards: median %.3f ms, slowest %.3f ms\n", pasteMs,
              keyMs[keyMs.size() / 2], keyMs.back());
  box->clear();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  // First, while the process is small, so that its figures are the pastes' own.
  PasteReport();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident size: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
