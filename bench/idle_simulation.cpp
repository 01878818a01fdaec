// Runs the simulation with the PC on an example program, untouched, for a while and prints the
// share of one core the process used: what an idle run costs the user's machine. The time scale
// (x1 by default, x10, x100, max for as fast as possible) or "paused" may follow.
//
//   bdx_idle_simulation [SECONDS] [PROGRAM.h53] [x1|x10|x100|max|paused]
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "editor/ladder_editor.h"
#include "ladder/program_document.h"
#include "shell/scripted_prompter.h"
#include "ui/sim/io_form.h"
#include "ui/sim/pc_simulation_runner.h"

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 10.0;
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                     : QStringLiteral(BDX_SOURCE_DIR "/examples/motor_start_stop.h53");
    const QString scale = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("x1");
    const QStringList scales = {QStringLiteral("x1"), QStringLiteral("x10"), QStringLiteral("x100"),
                                QStringLiteral("max")};
    if (!scales.contains(scale) && scale != QLatin1String("paused")) {
        std::fprintf(stderr, "unknown time scale %s\n", qPrintable(scale));
        return 2;
    }

    QTemporaryDir dir;
    bdx::ScriptedPrompter prompter;
    bdx::ProgramDocument document(prompter, dir.filePath(QStringLiteral("undo")), dir.path());
    document.StartEmpty();
    if (document.OpenFile(program) != bdx::ProgramDocument::Outcome::Done) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(program));
        return 2;
    }
    bdx::LadderEditor editor(document, prompter);
    editor.runRuleCheck();
    bdx::PcSimulationRunner runner(editor, prompter, nullptr);
    runner.setDumpPath(QString());
    if (!runner.RunPcSimulation()) {
        std::fprintf(stderr, "the program was refused: %s\n", qPrintable(prompter.texts().join(u' ')));
        return 1;
    }

    if (scale == QLatin1String("paused")) {
        runner.setPaused(true);
    } else {
        runner.setTimeScale(static_cast<bdx::TimeScale>(scales.indexOf(scale)));
    }

    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(int(seconds * 1000), &app, &QCoreApplication::quit);
    app.exec();
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;

    std::printf("program   %s at %s\n", qPrintable(program), qPrintable(scale));
    std::printf("wall      %.2f s\n", elapsed);
    std::printf("cpu       %.2f s\n", cpu);
    std::printf("scans     %lld (%.0f a second)\n", static_cast<long long>(runner.scanCount()),
                double(runner.scanCount()) / elapsed);
    std::printf("cpu share %.1f %% of one core\n", 100.0 * cpu / elapsed);
    std::printf("simulated %.2f s\n", double(runner.simulatedHundredths()) / 100.0);
    runner.stop();
    return 0;
}
