#include "scan_network.h"

namespace bdx {

bool ScanNetwork::loadOr(const OrTable& table, int sourceSize, int zeroEntry, OrLevel& level) {
    if (table.groupCount > kMaxOrGroups || table.inputTotal > kMaxOrInputs) {
        return false;
    }
    level.count = 0;
    int next = 0;
    for (int g = 0; g < table.groupCount; ++g) {
        const int end = next + table.groups[g].inputCount;
        if (end > table.inputTotal) {
            return false;
        }
        for (int i = next; i < end; i += 2) {
            const std::uint64_t a = table.inputs[i];
            const std::uint64_t b = i + 1 < end ? table.inputs[i + 1] : zeroEntry;
            if (a >= std::uint64_t(sourceSize) || (b >= std::uint64_t(sourceSize) && i + 1 < end)) {
                return false;
            }
            level.steps[level.count++] = a | b << 16 | std::uint64_t(g) << 32;
        }
        next = end;
    }
    return next == table.inputTotal;
}

bool ScanNetwork::loadAnd(const AndTable& table, const OrTable& feeding, AndLevel& level) {
    if (table.count > kMaxAndEntries) {
        return false;
    }
    for (int i = 0; i < table.count; ++i) {
        const AndEntry& e = table.entries[i];
        if (e.orGroup >= feeding.groupCount || e.devId >= kSignalCount) {
            return false;
        }
        level.entries[i] = std::uint32_t{e.orGroup} | std::uint32_t{e.devId} << 16;
    }
    level.count = table.count;
    return true;
}

bool ScanNetwork::Load(const CompiledNetwork& n) {
    ScanNetwork loaded;
    if (!loadOr(n.or1, kSignalCount, kSignalCount, loaded.or1_) || !loadAnd(n.and1, n.or1, loaded.and1_) ||
        !loadOr(n.or2, n.and1.count, kMaxAndEntries, loaded.or2_) || !loadAnd(n.and2, n.or2, loaded.and2_) ||
        !loadOr(n.or3, n.and2.count, kMaxAndEntries, loaded.or3_)) {
        return false;
    }
    *this = loaded;
    return true;
}

// The steps of one group are adjacent, so the group's previous step was the last store.
void ScanNetwork::evaluateOr(const OrLevel& level, const std::uint8_t* source, std::uint8_t* out) {
    const int count = level.count;
    const std::uint64_t* step = level.steps.data();
    for (int i = 0; i < count; ++i) {
        const std::uint64_t s = step[i];
        out[s >> 32] |= source[s & 0xFFFF] | source[s >> 16 & 0xFFFF];
    }
}

void ScanNetwork::evaluateAnd(const AndLevel& level, const std::uint8_t* feeding, const std::uint8_t* signals,
                              std::uint8_t* out) {
    // Held locally: a byte store may alias anything, and the count would be reloaded each time.
    const int count = level.count;
    const std::uint32_t* entry = level.entries.data();
    for (int i = 0; i < count; ++i) {
        out[i] = feeding[entry[i] & 0xFFFF] & signals[entry[i] >> 16];
    }
}

void ScanNetwork::Evaluate(const std::uint8_t* signals, NetworkValues& out) const {
    evaluateOr(or1_, signals, out.or1.data());
    evaluateAnd(and1_, out.or1.data(), signals, out.and1.data());
    evaluateOr(or2_, out.and1.data(), out.or2.data());
    evaluateAnd(and2_, out.or2.data(), signals, out.and2.data());
    evaluateOr(or3_, out.and2.data(), out.or3.data());
}

}  // namespace bdx
