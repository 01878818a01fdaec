#include "sim/trend_recorder.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include "../check/ladder_drawing.h"
#include "sim/clock.h"
#include "sim/pc_simulation.h"
#include "sim/trend_export.h"

namespace bdx {
namespace {

SimOperand Named(const char* name) {
    SimOperand operand;
    EXPECT_EQ(ResolveSimOperand(QString::fromLatin1(name), OperandUse::Read, operand), QString()) << name;
    return operand;
}

// I1 drives Q1; the recorder samples after every scan, one scan per hundredth.
class TrendRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ladder.rung(1, 'I', 1, 'Q', 1);
        ASSERT_FALSE(sim.Prepare(ladder.p, RunRuleCheck(ladder.p)));
    }
    void scan(TrendRecorder& recorder) {
        ASSERT_EQ(sim.ScanOnce(), 2);
        recorder.sample(time++, sim);
    }

    ManualClock clock;
    PcSimulation sim{clock};
    Ladder ladder{9};
    std::int64_t time = 0;
};

// An input toggled on every scan for longer than the window: the ring keeps exactly the window
// (its points and the one that holds at its start), never more, with the values in step.
TEST_F(TrendRecorderTest, ATraceChangingEveryScanKeepsExactlyTheWindow) {
    TrendRecorder recorder;
    ASSERT_TRUE(recorder.add(Named("I1")));
    ASSERT_TRUE(recorder.add(Named("V3.v")));
    const std::int64_t scans = TrendRecorder::kDefaultWindow + 5000;
    for (std::int64_t i = 0; i < scans; ++i) {
        sim.setInput('I', 1, i % 2 == 1);
        sim.setSlider(2, static_cast<int>(i % 1000));
        ASSERT_NO_FATAL_FAILURE(scan(recorder));
    }
    ASSERT_EQ(recorder.latest(), scans - 1);
    EXPECT_EQ(recorder.windowStart(), scans - 1 - TrendRecorder::kDefaultWindow);
    for (const TrendTrace& trace : recorder.traces()) {
        SCOPED_TRACE(trace.operand().name.toStdString());
        ASSERT_EQ(trace.size(), TrendRecorder::kDefaultWindow + 1);
        EXPECT_EQ(trace.at(0).time, recorder.windowStart());
        for (const qsizetype i : {qsizetype{0}, qsizetype{1}, trace.size() / 2, trace.size() - 1}) {
            const TrendPoint point = trace.at(i);
            const double wanted = trace.binary() ? double(point.time % 2) : double(point.time % 1000) / 100.0;
            EXPECT_EQ(point.value, wanted) << "at " << point.time;
        }
    }
    // 60,001 points of 8 bytes for the input, of 16 for the volts.
    EXPECT_EQ(recorder.maxBytes(), (TrendRecorder::kDefaultWindow + 1) * 24);
}

// Only changes are stored; the value at any time comes from the change before it, and a trace
// added later keeps the traces recorded so far.
TEST_F(TrendRecorderTest, QuietTracesStoreOnlyTheirChanges) {
    TrendRecorder recorder;
    recorder.add(Named("I1"));
    const struct {
        std::int64_t from;
        bool on;
    } inputs[] = {{0, false}, {10, true}, {25, false}};
    for (const auto& input : inputs) {
        while (time < input.from) {
            ASSERT_NO_FATAL_FAILURE(scan(recorder));
        }
        sim.setInput('I', 1, input.on);
        if (input.from == 10) {
            recorder.setOperands({Named("Q1"), Named("I1")});
        }
    }
    for (int i = 0; i < 5; ++i) {
        ASSERT_NO_FATAL_FAILURE(scan(recorder));
    }
    const TrendTrace& q1 = recorder.traces()[0];
    const TrendTrace& i1 = recorder.traces()[1];
    ASSERT_EQ(i1.operand().name, QStringLiteral("I1"));
    EXPECT_EQ(i1.size(), 3);
    EXPECT_EQ(i1.at(1).time, 10);
    EXPECT_EQ(i1.at(2).time, 25);
    ASSERT_EQ(q1.size(), 2);  // from the scan after it was added on, lit by that scan
    EXPECT_EQ(q1.at(0).time, 10);
    EXPECT_EQ(q1.at(0).value, 1.0);
    EXPECT_FALSE(q1.valueAt(9));
    EXPECT_EQ(q1.valueAt(24), 1.0);
    EXPECT_EQ(q1.valueAt(25), 0.0);
    EXPECT_EQ(i1.valueAt(1000), 0.0);
}

// The writers over a replay of the recording: every change at its time, one CSV row per time.
TEST_F(TrendRecorderTest, ReplayWritesVcdAndCsv) {
    TrendRecorder recorder;
    recorder.add(Named("I1"));
    recorder.add(Named("V1.v"));
    for (int i = 0; i < 4; ++i) {
        sim.setInput('I', 1, i >= 2);
        sim.setSlider(0, i == 3 ? 512 : 0);
        ASSERT_NO_FATAL_FAILURE(scan(recorder));
    }
    const auto written = [&recorder](TrendFormat format) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        std::unique_ptr<TrendSink> writer;
        if (format == TrendFormat::Vcd) {
            writer = std::make_unique<VcdWriter>(buffer);
        } else {
            writer = std::make_unique<CsvWriter>(buffer);
        }
        recorder.replay(*writer);
        return buffer.data().toStdString();
    };
    EXPECT_EQ(written(TrendFormat::Csv), "time,I1,V1.v\n0,0,0\n0.02,1,0\n0.03,1,5.12\n");
    const std::string vcd = written(TrendFormat::Vcd);
    EXPECT_NE(vcd.find("$timescale 10ms $end\n"), std::string::npos) << vcd;
    EXPECT_NE(vcd.find("$var wire 1 ! I1 $end\n$var real 64 \" V1_v $end\n"), std::string::npos) << vcd;
    EXPECT_NE(vcd.find("$enddefinitions $end\n#0\n0!\nr0 \"\n#2\n1!\n#3\nr5.12 \"\n"), std::string::npos) << vcd;
}

}  // namespace
}  // namespace bdx
