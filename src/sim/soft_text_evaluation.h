#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "blocks/soft_text_record.h"
#include "ladder/program.h"

// Run-time selection and rendering of the soft text messages X1..X16 for the text display.
namespace bdx {

class AnalogEvaluation;
class Clock;
class HourMeterEvaluation;
class ScanEngine;

// Live values of the timers and counters, which their own evaluation keeps. Numbers are 0-based.
class TimerCounterValues {
  public:
    virtual ~TimerCounterValues() = default;
    virtual double timerPresetSeconds(int timer, bool offTime) const = 0;
    virtual double timerCurrentSeconds(int timer) const = 0;
    virtual double counterSetPoint(int counter) const = 0;
    virtual double counterValue(int counter) const = 0;
};

inline constexpr int kSoftTextCells = kSoftTextFields;  // three lines of twelve

class SoftTextEvaluation {
  public:
    // Without timer and counter values their fields show zero.
    SoftTextEvaluation(const Clock& clock, const HourMeterEvaluation& hourMeters,
                       const AnalogEvaluation& analog, const TimerCounterValues* timersAndCounters = nullptr);

    // Reads the embedded fields of every message and clears the display. The program must
    // outlive the run.
    void PrepareRun(const Program& program);
    // False when the message to show needs an absent extension module; endMessage() then says so.
    bool Evaluate(ScanEngine& engine);
    // What the user is told when an evaluation ended the run; empty while it goes on.
    const QString& endMessage() const { return endMessage_; }

    // The text display view is shown; without it nothing is selected or rendered.
    void setDisplayShown(bool shown) { shown_ = shown; }
    bool displayShown() const { return shown_; }
    // The display's scroll bar: value k picks the message of rank k among the m active ones.
    void setScrollValue(int k) { scroll_ = k; }
    int scrollValue() const { return scroll_; }
    int scrollMaximum() const { return activeCount_; }
    // The next evaluation shows the message of rank 1 again.
    void showFirstMessage() { backToFirst_ = true; }

    // Number 1..16 of the message shown, 0 for none.
    int shownMessage() const { return shownMessage_; }
    // Its rank among the active messages, 0 for none. The scroll value may already ask for
    // another, which the next evaluation shows.
    int shownRank() const { return shownRank_; }
    // "No message" or "Priority Message k of m"; empty before the display first showed anything.
    QString caption() const;
    // The three lines of twelve characters on the display.
    QStringList lines() const;

    // Whether message 0..15 is triggered and not reset in the engine's last scan.
    bool MessageActive(const ScanEngine& engine, int message) const;

    // A block dialog stored a new text for message 0..15 during the run: its fields are read again.
    void MessageChanged(int message);
    // Any message text as the display would show it now, live values in its fields. Not for
    // the scan: it reads the fields afresh.
    QStringList RenderLines(const SoftTextRow& text) const;

  private:
    struct Field {
        std::uint8_t position = 0;
        std::uint8_t source = 0;
        std::uint8_t number = 0;
        std::uint8_t parameter = 0;
        std::uint8_t width = 0;
    };
    // A field takes at least the four positions of its token.
    static constexpr int kMaxFields = kSoftTextCells / 4;

    using Cells = std::array<std::uint8_t, kSoftTextCells>;
    using FieldList = std::array<Field, kMaxFields>;

    static int readFields(const Program& program, const SoftTextRow& text, FieldList& out);
    void loadFields(int message);
    void render(int message);
    void renderInto(const SoftTextRow& text, const Field* fields, int count, Cells& cells) const;
    // Writes the field's value into `out`; its length, at most `room`.
    int formatField(const Field& field, char* out, int room) const;
    int missingModule(int message) const;

    const Clock& clock_;
    const HourMeterEvaluation& hourMeters_;
    const AnalogEvaluation& analog_;
    const TimerCounterValues* timersAndCounters_;
    const Program* program_ = nullptr;

    std::array<FieldList, kSoftTexts> fields_{};
    std::array<std::uint8_t, kSoftTexts> fieldCounts_{};

    bool shown_ = false;
    bool backToFirst_ = false;
    bool rendered_ = false;
    int scroll_ = 1;
    int activeCount_ = 0;
    int shownMessage_ = 0;
    int shownRank_ = 0;
    std::array<std::uint8_t, kSoftTexts> ranked_{};  // active message numbers, highest first
    Cells cells_{};
    QString endMessage_;
};

}  // namespace bdx
