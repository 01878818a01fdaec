#include "program_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "bdx_version.h"
#include "cp1252.h"
#include "grid.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

constexpr char16_t kCommentLineBreak = 0x00FF;  // stands for a line break inside a line comment
const QString kCrLf = QStringLiteral("\r\n");

enum TextId {
    FileCannotBeOpened = 8001,
    FileIsDamaged = 8002,
    FileTooLarge = 8003,
    UnknownFileVersion = 8004
};

// ---- writing ----

void appendNumber(QString& out, long long value) {
    out += value < 0 ? u'-' : u' ';
    out += QString::number(value < 0 ? -value : value);
    out += u' ';
}

template <typename Row>
void appendRow(QString& out, const Row& row) {
    for (auto value : row) {
        appendNumber(out, value);
    }
    out += kCrLf;
}

// A text that must stay on its own line.
void appendTextLine(QString& out, const QString& text) {
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    out += line;
    out += kCrLf;
}

QString encodeLineComment(const QString& comment) {
    QString line = comment;
    line.replace(kCrLf, QString(QChar(kCommentLineBreak)));
    line.replace(u'\r', QChar(kCommentLineBreak)).replace(u'\n', QChar(kCommentLineBreak));
    return line;
}

// ---- reading ----

bool isNumberSeparator(QChar c) {
    return c == u' ' || c == u'\t' || c == u',';
}

int countLines(QStringView text) {
    int lines = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))) {
            ++lines;
        }
    }
    if (!text.isEmpty() && text.back() != u'\n' && text.back() != u'\r') {
        ++lines;
    }
    return lines;
}

class Damaged {
  public:
    QString why;
};

// Reads line by line: a number line must hold exactly the numbers its place in the layout
// gives it, so that a damaged line is refused where it is instead of shifting what follows.
class FileReader {
  public:
    explicit FileReader(QStringView text) : text_(text) {}

    void restart() {
        pos_ = 0;
        line_ = 1;
    }

    // The next line as `count` numbers, each within low..high.
    std::vector<long long> numbers(int count, long long low, long long high, const char* what) {
        if (pos_ >= text_.size()) {
            throw Damaged{
                QStringLiteral("line %1: the file ends before %2").arg(line_).arg(QLatin1String(what))};
        }
        const int at = line_;
        std::vector<long long> values;
        const QStringView text = rawLine();
        qsizetype i = 0;
        while (true) {
            while (i < text.size() && isNumberSeparator(text[i])) {
                ++i;
            }
            if (i >= text.size()) {
                break;
            }
            const qsizetype start = i;
            while (i < text.size() && !isNumberSeparator(text[i])) {
                ++i;
            }
            values.push_back(number(text.mid(start, i - start), at, low, high, what));
        }
        if (static_cast<int>(values.size()) != count) {
            throw Damaged{QStringLiteral("line %1: %2 numbers instead of %3 (%4)")
                              .arg(at)
                              .arg(values.size())
                              .arg(count)
                              .arg(QLatin1String(what))};
        }
        return values;
    }

    // A whole text line; lines missing at the end of the file read as empty.
    QString line() { return rawLine().toString(); }

    // Line number of the line read last.
    int lastLine() const { return line_ - 1; }

  private:
    static long long number(QStringView token, int line, long long low, long long high, const char* what) {
        bool ok = false;
        const long long value = token.size() <= 12 ? token.toLongLong(&ok) : 0;
        if (!ok || token.startsWith(u'+')) {
            throw Damaged{QStringLiteral("line %1: \"%2\" is not a number (%3)")
                              .arg(line)
                              .arg(token.left(20).toString(), QLatin1String(what))};
        }
        if (value < low || value > high) {
            throw Damaged{QStringLiteral("line %1: %2 is out of range for %3")
                              .arg(line)
                              .arg(value)
                              .arg(QLatin1String(what))};
        }
        return value;
    }

    QStringView rawLine() {
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_[pos_] != u'\r' && text_[pos_] != u'\n') {
            ++pos_;
        }
        const QStringView result = text_.mid(start, pos_ - start);
        if (pos_ < text_.size() && text_[pos_] == u'\r') {
            ++pos_;
            if (pos_ < text_.size() && text_[pos_] == u'\n') {
                ++pos_;
            }
        } else if (pos_ < text_.size() && text_[pos_] == u'\n') {
            ++pos_;
        }
        ++line_;
        return result;
    }

    QStringView text_;
    qsizetype pos_ = 0;
    int line_ = 1;
};

template <typename Table>
void readTable(FileReader& in, Table& table, int fieldsPerBlock, const char* what) {
    for (auto& block : table) {
        const std::vector<long long> values = in.numbers(fieldsPerBlock, 0, 255, what);
        std::copy(values.begin(), values.end(), block.begin());
    }
}

void readCountersFirstGeneration(FileReader& in, CounterTable& counters) {
    constexpr int kStoredFields = 5;
    for (auto& counter : counters) {
        counter.fill(0);
        const std::vector<long long> values = in.numbers(kStoredFields, 0, 255, "the counters");
        std::copy(values.begin(), values.end(), counter.begin());
        for (int f = kCounterFields - 1; f >= 2; --f) {
            counter[f] = counter[f - 1];
        }
        counter[1] = 0;
        counter[10] = 1;
        counter[15] = 1;
    }
}

// Every word must be a code its place in the line can hold.
void readGrid(FileReader& in, LadderGridWords& grid) {
    for (int line = 0; line < kLadderLines; ++line) {
        const std::vector<long long> values = in.numbers(kWordsPerLine, -32768, 65535, "the ladder grid");
        for (int w = 0; w < kWordsPerLine; ++w) {
            const auto word = static_cast<std::uint16_t>(values[w]);
            if (!IsGridCode(w, word)) {
                throw Damaged{QStringLiteral("line %1: %2 is not a code the ladder grid holds in word %3")
                                  .arg(in.lastLine())
                                  .arg(values[w])
                                  .arg(w + 1)};
            }
            grid[line * kWordsPerLine + w] = word;
        }
    }
}

void convertComparesFirstGeneration(CompareTable& compares) {
    for (auto& compare : compares) {
        compare[0] = static_cast<std::uint8_t>(compare[0] | ((compare[6] * 16) & 0xFF));
        for (int f = 6; f >= 2; --f) {
            compare[f] = compare[f - 1];
        }
        compare[1] = 0;
    }
}

int commentCount(Operand kind, FileGeneration generation, bool longFile) {
    switch (kind) {
        case Operand::M:
            if (!longFile) {
                return 16;
            }
            return generation == FileGeneration::First ? 32 : 64;
        case Operand::P:
            return longFile ? operandInfo(kind).count : 0;
        case Operand::H:
            return generation == FileGeneration::Current ? operandInfo(kind).count : 0;
        default:
            return operandInfo(kind).count;
    }
}

FileGeneration classify(const QString& firstLine, bool* known) {
    *known = true;
    if (!firstLine.contains(QLatin1String("VERSION"))) {
        return FileGeneration::First;
    }
    QString version = firstLine;
    if (const qsizetype at = version.indexOf(QLatin1String("VERSION-")); at >= 0) {
        version.remove(at, 8);
    }
    const QChar mark = version.size() >= 3 ? version[2] : QChar();
    if (mark == u'5') {
        return FileGeneration::Current;
    }
    if (mark == u'1') {
        return FileGeneration::Second;
    }
    *known = false;
    return FileGeneration::Current;
}

void readSections(FileReader& in, FileGeneration gen, bool longFile, Program& p, bool takeNameAndPath) {
    const std::vector<long long> head =
        in.numbers(1 + kExtensionModules, 0, 65535, "the model and the extension modules");
    p.ModelIndex = static_cast<std::uint16_t>(head[0]);
    std::copy(head.begin() + 1, head.end(), p.ExtensionModules.begin());
    const QString name = in.line();
    const QString path = in.line();
    if (takeNameAndPath) {
        p.ProgramFileName = name;
        p.ProgramFilePath = path;
    }

    readGrid(in, p.LadderGrid);

    readTable(in, p.TimeSwitchParams, kTimeSwitchFields, "the time switches");
    readTable(in, p.TimerParams, kTimerFields, "the timers");
    if (gen == FileGeneration::Second) {
        for (auto& timer : p.TimerParams) {
            if (timer[TimerField::Type] > 3 && timer[TimerField::Type] < 255) {
                ++timer[TimerField::Type];
            }
        }
    }
    if (gen == FileGeneration::First) {
        readCountersFirstGeneration(in, p.CounterParams);
    } else {
        readTable(in, p.CounterParams, gen == FileGeneration::Current ? kCounterFields : 6, "the counters");
    }
    readTable(in, p.AnalogParams, gen == FileGeneration::Current ? kAnalogFields : 5, "the analog blocks");
    if (longFile) {
        readTable(in, p.CompareParams, kCompareFields, "the compare counters");
        if (gen == FileGeneration::First) {
            convertComparesFirstGeneration(p.CompareParams);
        }
    }
    if (gen == FileGeneration::Current) {
        readTable(in, p.HourMeterParams, kHourMeterFields, "the hour meters");
    }
    readTable(in, p.SoftTextParams, kSoftTextFields, "the text messages");
    if (gen == FileGeneration::Current) {
        readTable(in, p.AnalogScalingParams, kAnalogScalingFields, "the analog scaling");
    }

    for (const OperandInfo& info : kOperandTable) {
        const int count = commentCount(info.kind, gen, longFile);
        for (int i = 0; i < count; ++i) {
            p.comment(info.kind, i) = in.line();
        }
    }
    for (QString& comment : p.LineComments) {
        comment = in.line();
        comment.replace(QChar(kCommentLineBreak), kCrLf);
    }
    for (QString& text : p.PrintInfo) {
        text = in.line();
    }
}

}  // namespace

QByteArray FormatProgramFile(const Program& p) {
    QString out;
    out.reserve(64 * 1024);
    out += QStringLiteral("VERSION-") + QLatin1String(kFormatVersion) + QStringLiteral(" : ") +
           QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision) + kCrLf;
    appendNumber(out, p.ModelIndex);
    for (std::uint16_t module : p.ExtensionModules) {
        appendNumber(out, module);
    }
    out += kCrLf;
    appendTextLine(out, p.ProgramFileName);
    appendTextLine(out, p.ProgramFilePath);
    for (int line = 0; line < kLadderLines; ++line) {
        for (int w = 0; w < kWordsPerLine; ++w) {
            appendNumber(out, static_cast<std::int16_t>(p.word(line, w)));
        }
        out += kCrLf;
    }
    auto appendTable = [&out](const auto& table) {
        for (const auto& row : table) {
            appendRow(out, row);
        }
    };
    appendTable(p.TimeSwitchParams);
    appendTable(p.TimerParams);
    appendTable(p.CounterParams);
    appendTable(p.AnalogParams);
    appendTable(p.CompareParams);
    appendTable(p.HourMeterParams);
    appendTable(p.SoftTextParams);
    appendTable(p.AnalogScalingParams);
    for (const QString& comment : p.OperandComments) {
        appendTextLine(out, comment);
    }
    for (const QString& comment : p.LineComments) {
        out += encodeLineComment(comment);
        out += kCrLf;
    }
    for (const QString& text : p.PrintInfo) {
        appendTextLine(out, text);
    }
    return ToCp1252(out);
}

bool WriteProgramFile(const Program& program, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(FormatProgramFile(program)) < 0 || !file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

ProgramFileStatus ParseProgramFile(const QByteArray& content, Program& program, bool takeNameAndPath) {
    ProgramFileStatus status;
    if (content.size() > kMaxProgramFileSize) {
        status.code = ProgramFileStatus::Code::TooLarge;
        return status;
    }
    const QString text = FromCp1252(content);
    status.lineCount = countLines(text);
    FileReader in(text);
    bool known = true;
    status.generation = classify(in.line(), &known);
    if (!known) {
        status.code = ProgramFileStatus::Code::UnknownVersion;
        return status;
    }
    if (status.generation == FileGeneration::First) {
        in.restart();
    }

    Program result = program;
    ClearProgram(result);
    try {
        readSections(in, status.generation, status.lineCount >= kCompareSectionMinLines, result,
                     takeNameAndPath);
    } catch (const Damaged& damage) {
        status.code = ProgramFileStatus::Code::Damaged;
        status.detail = damage.why;
        return status;
    }
    if (result.ModelIndex >= 16) {
        status.code = ProgramFileStatus::Code::UnsupportedModel;
        return status;
    }
    program = std::move(result);
    return status;
}

namespace {

const char* fileKind(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    return S_ISSOCK(mode) ? "a socket" : "a special file";
}

// Opens a program file for reading, refusing anything but a regular file: the open of a FIFO
// would wait for a writer for ever, and a folder or a device is never a program. The open
// does not wait, and the kind is asked of what was opened, so nothing can be swapped in between.
bool openRegularFile(QFile& file, const QString& path, ProgramFileStatus& status) {
    status.code = ProgramFileStatus::Code::CannotOpen;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        status.detail = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        status.detail = QStringLiteral("%1 is %2, not a regular file")
                            .arg(QFileInfo(path).fileName(), QLatin1String(fileKind(info.st_mode)));
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        status.detail = file.errorString();
        return false;
    }
    status.code = ProgramFileStatus::Code::Ok;
    return true;
}

}  // namespace

ProgramFileStatus ReadProgramFile(const QString& path, Program& program, bool takeNameAndPath) {
    QFile file;
    ProgramFileStatus status;
    if (!openRegularFile(file, path, status)) {
        return status;
    }
    if (file.size() > kMaxProgramFileSize) {
        status.code = ProgramFileStatus::Code::TooLarge;
        return status;
    }
    return ParseProgramFile(file.read(kMaxProgramFileSize + 1), program, takeNameAndPath);
}

ProgramFileStatus ReadProgramFile(const QString& path, Program& program, Prompter& prompter,
                                  bool takeNameAndPath) {
    ProgramFileStatus status = ReadProgramFile(path, program, takeNameAndPath);
    if (!status.ok()) {
        const QString message = ProgramFileMessage(status);
        if (status.code == ProgramFileStatus::Code::UnsupportedModel) {
            prompter.inform(message);
        } else {
            prompter.warn(message);
        }
    }
    return status;
}

QString ProgramFileMessage(const ProgramFileStatus& status) {
    switch (status.code) {
        case ProgramFileStatus::Code::Ok:
            return QString();
        case ProgramFileStatus::Code::CannotOpen:
            return LoadText(FileCannotBeOpened) + status.detail;
        case ProgramFileStatus::Code::TooLarge:
            return LoadText(FileTooLarge);
        case ProgramFileStatus::Code::Damaged:
            return LoadText(FileIsDamaged) + status.detail;
        case ProgramFileStatus::Code::UnknownVersion:
            return LoadText(UnknownFileVersion);
        case ProgramFileStatus::Code::UnsupportedModel:
            return LoadText(8557);
    }
    return QString();
}

}  // namespace bdx
