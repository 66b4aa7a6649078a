// Speed and memory figures: the core walk for the worst query of each of the
// eight search combinations, a whole-country search through the window, a
// header-click re-sort, and the peak resident size afterwards.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QHeaderView>
#include <cstdio>

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

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident size: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
