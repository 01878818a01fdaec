#pragma once

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <memory>
#include <vector>

#include "trend_recorder.h"

class QIODevice;

namespace bdx {

enum class TrendFormat { Vcd, Csv };

// Value change dump, as logic simulators write it and wave viewers (GTKWave) read it: a time
// unit of 10 ms (one hundredth), a wire per binary operand, a real per value, and a "#time"
// line before the changes of each time. A name's "." becomes "_" ("T1.pv" is "T1_pv"), since
// viewers take a dot for a level of the hierarchy.
class VcdWriter : public TrendSink {
  public:
    explicit VcdWriter(QIODevice& device) : device_(device) {}
    void begin(const std::vector<TrendTrace>& traces) override;
    void change(std::int64_t time, int trace, double value) override;
    void end(std::int64_t time) override;

    // The short code a trace's changes carry: '!', '"', ... then two characters.
    static QByteArray identifier(int trace);

  private:
    void stamp(std::int64_t time);

    QIODevice& device_;
    std::vector<bool> binary_;
    std::int64_t time_ = -1;
};

// Comma-separated values: a header "time,NAME,...", then one row per time at which something
// changed with the time in seconds and every operand's value then (empty before its trace
// starts).
class CsvWriter : public TrendSink {
  public:
    explicit CsvWriter(QIODevice& device) : device_(device) {}
    void begin(const std::vector<TrendTrace>& traces) override;
    void change(std::int64_t time, int trace, double value) override;
    void end(std::int64_t time) override;

  private:
    void flush();

    QIODevice& device_;
    std::vector<QString> values_;
    std::int64_t time_ = -1;
};

// A recording into a file, replaced only when it is written completely. A path that names a
// device or a pipe (/dev/stdout) is written straight through instead: there is no file to
// replace, and a replacement would put a plain file where the device was.
class TrendFile : public TrendSink {
  public:
    TrendFile(const QString& path, TrendFormat format);
    ~TrendFile() override;

    // False when the file cannot be made; errorString() says why.
    bool open();
    // Puts the file in place after end(); false with errorString() when it failed.
    bool commit();
    QString errorString() const { return device_->errorString(); }
    QString path() const { return device_->fileName(); }

    void begin(const std::vector<TrendTrace>& traces) override { writer_->begin(traces); }
    void change(std::int64_t time, int trace, double value) override { writer_->change(time, trace, value); }
    void end(std::int64_t time) override { writer_->end(time); }

  private:
    QSaveFile saveFile_;
    QFile directFile_;
    QFileDevice* device_ = nullptr;
    std::unique_ptr<TrendSink> writer_;
};

// Writes the recording to `path`; empty, or why it failed.
QString WriteTrendFile(const TrendRecorder& recorder, const QString& path, TrendFormat format);

}  // namespace bdx
