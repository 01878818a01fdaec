#pragma once

// Test helpers of the device operations: a progress recorder, the example programs, and the
// device process for the end-to-end tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "device_process.h"
#include "ladder/program_file.h"

namespace bdx::test {

// Records what a progress bar and its status line would show, for any of the operations'
// progress interfaces (no `override`: not all of them have a status line); `onValue` is
// called from the first step on.
template <typename Progress>
struct RecordingProgress : Progress {
    void setRange(int, int maximum) { ranges.push_back(maximum); }
    void setValue(int value) {
        last = value;
        highest = std::max(highest, value);
        if (onValue && value > 0) {
            onValue(value);
        }
    }
    void setStatus(const QString& text) { statuses << text; }

    std::vector<int> ranges;  // the maximum of each setRange
    int last = -1;
    int highest = 0;
    QStringList statuses;
    std::function<void(int)> onValue;
};

// A sample program of the examples folder.
inline Program Example(const char* name) {
    Program program;
    const QString path = QStringLiteral(BDX_SOURCE_DIR "/examples/") + QLatin1String(name);
    EXPECT_TRUE(ReadProgramFile(path, program).ok()) << name;
    return program;
}

}  // namespace bdx::test
