#pragma once

#include "ladder/program.h"
#include "print_page_frame.h"

// The parameter listing: every function block in use, section by section, in the page frame.
namespace bdx {

// Sections in the order time switches, timers, counters, analog blocks, compare counters, soft
// texts, hour meters; a section only when one of its blocks is in use, and only those blocks,
// in ascending number. A program without blocks in use prints the header alone.
PrintPages ParameterListing(const Program& program);

// One block's line, as the listing prints it; block numbers are 0-based.
QString TimeSwitchListingLine(const Program& program, int block);
QString TimerListingLine(const Program& program, int block);
QString CounterListingLine(const Program& program, int block);
QString AnalogListingLine(const Program& program, int block);
QString CompareListingLine(const Program& program, int block);
QString SoftTextListingLine(const Program& program, int message);
QString HourMeterListingLine(const Program& program, int meter);

}  // namespace bdx
