#include "trend_export.h"

#include <QFileInfo>
#include <QIODevice>
#include <QLocale>

namespace bdx {

namespace {

// Plain text for a real, exact to the last digit and without a locale's separators.
QByteArray realText(double value) {
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

// ---- VCD ----

QByteArray VcdWriter::identifier(int trace) {
    constexpr int kFirst = 33;  // '!'
    constexpr int kCount = 94;  // '!' .. '~'
    QByteArray id;
    int n = trace;
    do {
        id.append(static_cast<char>(kFirst + n % kCount));
        n = n / kCount - 1;
    } while (n >= 0);
    return id;
}

void VcdWriter::begin(const std::vector<TrendTrace>& traces) {
    QByteArray header =
        "$version BrantelDesk X simulation $end\n"
        "$timescale 10ms $end\n"
        "$scope module simulation $end\n";
    binary_.clear();
    for (std::size_t i = 0; i < traces.size(); ++i) {
        const TrendTrace& trace = traces[i];
        binary_.push_back(trace.binary());
        QByteArray name = trace.operand().name.toLatin1();
        name.replace('.', '_');
        header += (trace.binary() ? "$var wire 1 " : "$var real 64 ") + identifier(static_cast<int>(i)) + ' ' +
                  name + " $end\n";
    }
    header += "$upscope $end\n$enddefinitions $end\n";
    device_.write(header);
    time_ = -1;
}

void VcdWriter::stamp(std::int64_t time) {
    if (time != time_) {
        device_.write('#' + QByteArray::number(time) + '\n');
        time_ = time;
    }
}

void VcdWriter::change(std::int64_t time, int trace, double value) {
    stamp(time);
    const QByteArray id = identifier(trace);
    if (binary_[static_cast<std::size_t>(trace)]) {
        device_.write((value != 0.0 ? "1" : "0") + id + '\n');
    } else {
        device_.write('r' + realText(value) + ' ' + id + '\n');
    }
}

void VcdWriter::end(std::int64_t time) {
    // A last time stamp, so that a viewer shows the final values up to the end of the run.
    if (time > time_) {
        stamp(time);
    }
}

// ---- CSV ----

void CsvWriter::begin(const std::vector<TrendTrace>& traces) {
    QByteArray header = "time";
    values_.assign(traces.size(), QString());
    for (const TrendTrace& trace : traces) {
        header += ',' + trace.operand().name.toLatin1();
    }
    device_.write(header + '\n');
    time_ = -1;
}

void CsvWriter::flush() {
    if (time_ < 0) {
        return;
    }
    QString row = FormatSimTime(time_);
    for (const QString& value : values_) {
        row += u',' + value;
    }
    device_.write(row.toLatin1() + '\n');
}

void CsvWriter::change(std::int64_t time, int trace, double value) {
    if (time != time_) {
        flush();
        time_ = time;
    }
    values_[static_cast<std::size_t>(trace)] = FormatSimValue(value);
}

void CsvWriter::end(std::int64_t) {
    flush();
    time_ = -1;
}

// ---- Files ----

TrendFile::TrendFile(const QString& path, TrendFormat format) : saveFile_(path), directFile_(path) {
    const QFileInfo info(path);
    device_ = info.exists() && !info.isFile() && !info.isDir() ? static_cast<QFileDevice*>(&directFile_)
                                                               : static_cast<QFileDevice*>(&saveFile_);
    if (format == TrendFormat::Vcd) {
        writer_ = std::make_unique<VcdWriter>(*device_);
    } else {
        writer_ = std::make_unique<CsvWriter>(*device_);
    }
}

TrendFile::~TrendFile() = default;

bool TrendFile::open() {
    return device_->open(QIODevice::WriteOnly);
}

bool TrendFile::commit() {
    if (!device_->isOpen()) {
        return false;
    }
    if (device_ == &saveFile_) {
        // QSaveFile remembers a failed write and then refuses to commit.
        return saveFile_.commit();
    }
    const bool written = directFile_.flush() && directFile_.error() == QFileDevice::NoError;
    directFile_.close();
    return written;
}

QString WriteTrendFile(const TrendRecorder& recorder, const QString& path, TrendFormat format) {
    TrendFile file(path, format);
    if (!file.open()) {
        return file.errorString();
    }
    recorder.replay(file);
    return file.commit() ? QString() : file.errorString();
}

}  // namespace bdx
