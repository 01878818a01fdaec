#pragma once

#include <initializer_list>

#include "blocks/time_switch_record.h"

namespace bdx {

// One model of each time switch generation.
inline constexpr int kFirstGenerationModel = 1;
inline constexpr int kSecondGenerationModel = 9;

// Days by number, 1 = Monday.
inline WeekDays DaysOf(std::initializer_list<int> numbers) {
    WeekDays result{};
    for (int d : numbers) {
        result[d - 1] = true;
    }
    return result;
}

}  // namespace bdx
