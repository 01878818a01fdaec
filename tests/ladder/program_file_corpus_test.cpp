// Replays the fuzzing corpus: inputs that once troubled the reader stay harmless.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "ladder/program_file.h"

namespace bdx {
namespace {

const QDir kCorpus(QStringLiteral(BDX_SOURCE_DIR "/tests/fuzz/corpus/program_file"));

TEST(ProgramFileCorpusTest, SeedsOfEveryGenerationReadAndAcceptedInputsRoundTrip) {
    const std::tuple<const char*, FileGeneration, int> seeds[] = {
        {"current.h53", FileGeneration::Current, 9},
        {"second.h53", FileGeneration::Second, 0},
        {"first_long.t53", FileGeneration::First, 2},
        {"first_short.m53", FileGeneration::First, 2}};
    for (const auto& [name, generation, model] : seeds) {
        Program program;
        const ProgramFileStatus status = ReadProgramFile(kCorpus.filePath(QLatin1String(name)), program);
        ASSERT_TRUE(status.ok()) << name << ": " << status.detail.toStdString();
        EXPECT_EQ(status.generation, generation) << name;
        EXPECT_EQ(program.ModelIndex, model) << name;
        EXPECT_EQ(program.LadderGrid[0], 'I') << name;
    }
    for (const QFileInfo& info : kCorpus.entryInfoList(QDir::Files)) {
        QFile file(info.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        Program program;
        Program again;
        if (ParseProgramFile(file.readAll(), program, true).ok()) {
            ASSERT_TRUE(ParseProgramFile(FormatProgramFile(program), again, true).ok())
                << info.fileName().toStdString();
            EXPECT_EQ(again, program) << info.fileName().toStdString();
        }
    }
}

}  // namespace
}  // namespace bdx
