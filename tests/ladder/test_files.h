#pragma once

// Files the ladder tests write and read back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "ladder/program_file.h"

namespace bdx {

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

}  // namespace bdx
