// Replays the fuzzing corpus: inputs that once troubled the reader stay harmless.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "ladder/program_file.h"

namespace bdx {
namespace {

QString corpusFolder() {
    return QStringLiteral(BDX_SOURCE_DIR "/tests/fuzz/corpus/program_file");
}

TEST(ProgramFileCorpusTest, SeedsOfEveryGenerationRead) {
    struct Seed {
        const char* name;
        FileGeneration generation;
        int model;
    };
    for (const Seed& seed :
         {Seed{"current.h53", FileGeneration::Current, 9}, Seed{"second.h53", FileGeneration::Second, 0},
          Seed{"first_long.t53", FileGeneration::First, 2},
          Seed{"first_short.m53", FileGeneration::First, 2}}) {
        Program program;
        const ProgramFileStatus status =
            ReadProgramFile(corpusFolder() + u'/' + QLatin1String(seed.name), program);
        ASSERT_TRUE(status.ok()) << seed.name << ": " << status.detail.toStdString();
        EXPECT_EQ(status.generation, seed.generation) << seed.name;
        EXPECT_EQ(program.ModelIndex, seed.model) << seed.name;
        EXPECT_EQ(program.LadderGrid[0], 'I') << seed.name;
    }
}

TEST(ProgramFileCorpusTest, EveryInputIsHarmlessAndAcceptedOnesRoundTrip) {
    const QFileInfoList files = QDir(corpusFolder()).entryInfoList(QDir::Files);
    ASSERT_GE(files.size(), 4);
    for (const QFileInfo& info : files) {
        QFile file(info.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        Program program;
        if (!ParseProgramFile(file.readAll(), program, true).ok()) {
            continue;
        }
        Program again;
        ASSERT_TRUE(ParseProgramFile(FormatProgramFile(program), again, true).ok())
            << info.fileName().toStdString();
        EXPECT_EQ(again, program) << info.fileName().toStdString();
    }
}

}  // namespace
}  // namespace bdx
