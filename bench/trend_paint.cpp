// Not a Google Benchmark: fills a trend recorder to its 10-minute window with traces that change
// on every scan, the worst case, and times the trend view's paint of the whole window, offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <cstdio>

#include "check/rule_checker.h"
#include "../tests/check/ladder_drawing.h"
#include "sim/clock.h"
#include "sim/pc_simulation.h"
#include "sim/trend_recorder.h"
#include "ui/widgets/trend_view.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    using namespace bdx;
    Ladder ladder(9);  // a model with analog inputs
    ladder.rung(1, 'I', 1, 'Q', 1);
    Program& program = ladder.p;
    ManualClock clock;
    PcSimulation sim(clock);
    if (sim.Prepare(program, RunRuleCheck(program))) {
        std::fprintf(stderr, "the program was refused\n");
        return 1;
    }
    TrendRecorder recorder;
    for (int k = 1; k <= 8; ++k) {
        for (const QString& name : {QStringLiteral("V%1.v").arg(k), QStringLiteral("I%1").arg(k)}) {
            SimOperand operand;
            ResolveSimOperand(name, OperandUse::Read, operand);
            recorder.add(operand);
        }
    }
    QElapsedTimer timer;
    timer.start();
    const std::int64_t scans = TrendRecorder::kDefaultWindow + 10000;
    for (std::int64_t t = 0; t < scans; ++t) {
        for (int k = 0; k < 8; ++k) {
            sim.setSlider(k, static_cast<int>((t * 7 + k) % 1000));
            sim.setInput('I', k + 1, (t + k) % 2 == 0);
        }
        sim.ScanOnce();
        recorder.sample(t, sim);
    }
    const double scanAndSample = static_cast<double>(timer.nsecsElapsed()) / static_cast<double>(scans);

    TrendView view;
    view.resize(1200, 16 * 30 + 22);
    view.setRecorder(&recorder);
    view.setSpan(TrendRecorder::kDefaultWindow);
    QPixmap canvas(view.size());
    constexpr int kPaints = 20;
    timer.restart();
    for (int i = 0; i < kPaints; ++i) {
        view.render(&canvas);
    }
    std::printf("16 traces changing on every scan: %.0f ns a scan with its sample; %.1f ms a paint of "
                "the whole window (%lld points)\n",
                scanAndSample, static_cast<double>(timer.elapsed()) / kPaints,
                static_cast<long long>(16 * recorder.traces().front().size()));
    return 0;
}
