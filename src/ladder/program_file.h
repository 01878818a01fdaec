#pragma once

#include <QByteArray>
#include <QString>

#include "program.h"

namespace bdx {

class Prompter;

inline constexpr const char* kFormatVersion = "1.5.7";
// A current file always has this many lines.
inline constexpr int kProgramFileLines = 829;
// Files of fewer lines predate the compare counters and the full set of M comments.
inline constexpr int kCompareSectionMinLines = 694;
// Far above any real program file; a larger file is refused before it is read.
inline constexpr qint64 kMaxProgramFileSize = 16 * 1024 * 1024;

enum class FileGeneration { Current, Second, First };

struct ProgramFileStatus {
    enum class Code { Ok, CannotOpen, TooLarge, Damaged, UnknownVersion, UnsupportedModel };
    Code code = Code::Ok;
    FileGeneration generation = FileGeneration::Current;
    int lineCount = 0;
    QString detail;  // what went wrong, in words

    bool ok() const { return code == Code::Ok; }
};

// The file text of a program in the current layout (Windows-1252, CR LF line ends).
QByteArray FormatProgramFile(const Program& program);
// Writes the current layout atomically: a failure leaves an existing file as it was.
bool WriteProgramFile(const Program& program, const QString& path, QString* error = nullptr);

// Reads a program file of any generation. The program is replaced only by a file that
// reads completely; tables a generation does not store keep their load defaults. The
// file's own name and path lines are taken only when `takeNameAndPath` is set (the
// application's own copy); otherwise name and path stay as they are.
ProgramFileStatus ParseProgramFile(const QByteArray& content, Program& program, bool takeNameAndPath = false);
ProgramFileStatus ReadProgramFile(const QString& path, Program& program, bool takeNameAndPath = false);

// The same, telling the user through the prompter what was wrong with the file.
ProgramFileStatus ReadProgramFile(const QString& path, Program& program, Prompter& prompter,
                                  bool takeNameAndPath = false);

// The message that explains a failed read to the user; empty for success.
QString ProgramFileMessage(const ProgramFileStatus& status);

}  // namespace bdx
