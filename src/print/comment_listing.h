#pragma once

#include "ladder/program.h"
#include "print_page_frame.h"

// The comment listing: each operand the ladder uses with its comment, kind by kind, then the
// line comments, in the page frame.
namespace bdx {

// No pages when the ladder uses no operand and no line has a comment: there is nothing to print.
PrintPages CommentListing(const Program& program);

// Text id of the message shown instead of an empty listing.
inline constexpr int kNothingToPrintText = 4208;

}  // namespace bdx
