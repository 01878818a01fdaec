#pragma once

#include <array>
#include <cstdint>

#include "check/compiled_network.h"

namespace bdx {

// Values of every group of the compiled network in one scan, indexed like its tables. Each
// vector has one entry more than the tables can use; it stays 0 and pads pairs of inputs.
struct NetworkValues {
    std::array<std::uint8_t, kMaxOrGroups + 1> or1{};
    std::array<std::uint8_t, kMaxAndEntries + 1> and1{};
    std::array<std::uint8_t, kMaxOrGroups + 1> or2{};
    std::array<std::uint8_t, kMaxAndEntries + 1> and2{};
    std::array<std::uint8_t, kMaxOrGroups + 1> or3{};
};

// The compiled network laid out for evaluation: the same five levels, packed so that a scan
// evaluates them without a branch or a bounds check per entry.
class ScanNetwork {
  public:
    // False, leaving the loaded network as it was, when a count or index of `network` lies
    // outside its table; the compiler only produces good tables, this keeps a damaged one out.
    bool Load(const CompiledNetwork& network);

    // Level by level for all rungs at once. `signals` must hold kSignalCount + 1 entries, the
    // last of them 0; the OR vectors of `out` must be all 0, as every scan clears them.
    void Evaluate(const std::uint8_t* signals, NetworkValues& out) const;

  private:
    // One OR level as steps that each OR two inputs into their group: source indices in the
    // low and next 16 bits, the group above them. A group with an odd number of inputs pairs
    // its last one with the source's zero entry; a group without inputs has no step at all
    // and keeps the 0 it was cleared to.
    struct OrLevel {
        std::array<std::uint64_t, kMaxOrInputs> steps{};
        int count = 0;
    };
    // One AND level: OR group in the low half, Dev ID of the contact in the high half.
    struct AndLevel {
        std::array<std::uint32_t, kMaxAndEntries> entries{};
        int count = 0;
    };
    static bool loadOr(const OrTable& table, int sourceSize, int zeroEntry, OrLevel& level);
    static bool loadAnd(const AndTable& table, const OrTable& feeding, AndLevel& level);
    static void evaluateOr(const OrLevel& level, const std::uint8_t* source, std::uint8_t* out);
    static void evaluateAnd(const AndLevel& level, const std::uint8_t* feeding, const std::uint8_t* signals,
                            std::uint8_t* out);

    OrLevel or1_, or2_, or3_;
    AndLevel and1_, and2_;
};

}  // namespace bdx
