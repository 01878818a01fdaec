#pragma once

#include <QStringList>
#include <array>
#include <memory>

#include "device/emulation_calls.h"

namespace bdx {

// Stands in for the emulation library: logs every call with its arguments, in order, into a
// list the test keeps, and answers with outputs the test sets.
class EmulationRecorder : public EmulationCalls {
  public:
    struct Answers {
        std::array<std::uint8_t, kPanelModuleCount> outputs{};
        std::uint8_t loop = 1;  // run indicator on
    };

    EmulationRecorder(QStringList& log, const Answers& answers) : log_(log), answers_(answers) {}

    void InitialiseDLL(const QByteArray& path) override {
        log_ << QStringLiteral("InitialiseDLL(%1)").arg(QString::fromLocal8Bit(path));
    }
    void StartDLLTimer() override { log_ << QStringLiteral("StartDLLTimer"); }
    void EndDLLTimer() override { log_ << QStringLiteral("EndDLLTimer"); }
    std::uint8_t RunInfiniteLoopFunction(std::int32_t scans, std::int16_t flags) override {
        log_ << QStringLiteral("RunInfiniteLoopFunction(%1,%2)").arg(scans).arg(flags);
        return answers_.loop;
    }
    void SetNewKeyCode(std::uint8_t code) override { log_ << QStringLiteral("SetNewKeyCode(%1)").arg(code); }
    void ResetNewKeyCode(std::uint8_t code) override {
        log_ << QStringLiteral("ResetNewKeyCode(%1)").arg(code);
    }
    void UpdateInputs(PanelModule module, std::uint8_t inputs) override {
        log_ << QStringLiteral("UpdateInputs_%1(%2)").arg(name(module)).arg(inputs);
    }
    void UpdateVoltage(PanelModule module, std::int32_t input7, std::int32_t input8) override {
        log_ << QStringLiteral("UpdateVoltage_%1(%2,%3)").arg(name(module)).arg(input7).arg(input8);
    }
    std::uint8_t UpdateOutputs(PanelModule module) override {
        log_ << QStringLiteral("UpdateOutputs_%1").arg(name(module));
        return answers_.outputs[int(module)];
    }

    static QString name(PanelModule module) {
        static const char* const names[] = {"Base", "ExtA", "ExtB", "ExtC"};
        return QString::fromLatin1(names[int(module)]);
    }

  private:
    QStringList& log_;
    const Answers& answers_;
};

}  // namespace bdx
