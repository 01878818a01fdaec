#pragma once

// Test helpers of the device operations: a progress recorder, the example programs, and the
// device process for the end-to-end tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "../ladder/test_programs.h"
#include "device_process.h"

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
    return exampleProgram(name);
}

}  // namespace bdx::test
