#pragma once

// Programs, and files, that the ladder tests share.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <random>

#include "ladder/grid.h"
#include "ladder/program_file.h"

namespace bdx {

// A program with something different in every word, field and text.
inline Program richProgram() {
    std::mt19937 random(53);
    Program p;
    p.ModelIndex = 15;
    p.ExtensionModules = {1, 0, 1};
    p.ProgramFileName = QStringLiteral("Rich.h53");
    p.ProgramFilePath = QStringLiteral("/data/Rich.h53");
    for (int i = 0; i < kGridWords; ++i) {
        do {
            p.LadderGrid[i] = static_cast<std::uint16_t>(random() % 300);
        } while (!IsGridCode(i % kWordsPerLine, p.LadderGrid[i]));  // files hold grid codes only
    }
    auto fill = [&random](auto& table) {
        for (auto& row : table) {
            std::ranges::generate(row, [&] { return static_cast<std::uint8_t>(random()); });
        }
    };
    fill(p.TimeSwitchParams), fill(p.TimerParams), fill(p.CounterParams), fill(p.AnalogParams);
    fill(p.CompareParams), fill(p.HourMeterParams), fill(p.SoftTextParams), fill(p.AnalogScalingParams);
    for (int i = 0; i < kLadderLines; ++i) {
        p.LineComments[i] = i % 3 ? QStringLiteral("line %1").arg(i) : QString();
        p.OperandComments[i % kOperandCommentCount] = QStringLiteral("comment %1 \u00e9").arg(i);
        p.PrintInfo[i % kPrintInfoTexts] = QStringLiteral("print %1").arg(i);
    }
    p.LineComments[7] = QStringLiteral("start\r\nmiddle\r\nend");
    return p;
}

inline QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes or replaces a file, making its folder first.
inline bool writeFile(const QString& path, const QByteArray& content = {}) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

// The program a file holds; a file that does not read fails the test.
inline Program readBack(const QString& path, bool takeNameAndPath = false) {
    Program program;
    const ProgramFileStatus status = ReadProgramFile(path, program, takeNameAndPath);
    EXPECT_TRUE(status.ok()) << path.toStdString() << ": " << status.detail.toStdString();
    return program;
}

// A sample program of the examples folder; one that does not read fails the test.
inline Program exampleProgram(const char* name) {
    return readBack(QStringLiteral(BDX_SOURCE_DIR "/examples/") + QLatin1String(name));
}

}  // namespace bdx
