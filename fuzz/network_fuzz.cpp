// libFuzzer target for the network compiler: any grid must compile or fail cleanly, and a
// compiled network must only name entries that exist. The input fills the grid two bytes per
// word (low byte first); words the input does not reach stay empty (128).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "check/network_compiler.h"
#include "check/network_dump.h"

namespace {

using namespace bdx;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkOrTable(const OrTable& table, int inputLimit) {
    require(table.groupCount >= 1 && table.groupCount <= kMaxOrGroups);
    int total = 0;
    for (int g = 0; g < table.groupCount; ++g) {
        total += table.groups[g].inputCount;
        require(table.groups[g].outputLine < kLadderLines || table.groups[g].outputLine == kUnassigned);
    }
    require(total == table.inputTotal && total <= kMaxOrInputs);
    for (int i = 0; i < total; ++i) {
        require(table.inputs[i] < inputLimit);
    }
}

void checkAndTable(const AndTable& table, const OrTable& feeding) {
    require(table.count >= 1 && table.count <= kMaxAndEntries);
    for (int i = 0; i < table.count; ++i) {
        const AndEntry& entry = table.entries[i];
        require(entry.orGroup < feeding.groupCount);
        require(entry.devId < kSignalCount);
        require(entry.line < kLadderLines);
        require(i == 0 || entry.line > table.entries[i - 1].line);
    }
}

template <std::size_t N>
void checkCoils(const CoilTable<N>& table, const CompiledNetwork& net) {
    for (std::uint16_t entry : table) {
        require(entry == kUnassigned || entry < net.or3.groupCount);
    }
}

void checkNetwork(const CompiledNetwork& net) {
    require(net.rungCount >= 1 && net.rungCount <= kMaxRungs);
    for (int r = 0; r < net.rungCount; ++r) {
        require(net.rungs[r].first <= net.rungs[r].last && net.rungs[r].last < kLadderLines);
        require(r == 0 || net.rungs[r].first > net.rungs[r - 1].last);
    }
    checkOrTable(net.or1, kSignalCount);
    checkAndTable(net.and1, net.or1);
    checkOrTable(net.or2, net.and1.count);
    checkAndTable(net.and2, net.or2);
    checkOrTable(net.or3, net.and2.count);

    const CoilTables& c = net.coils;
    for (const RelayCoils<4>* relay : {&c.Q, &c.U, &c.V, &c.W}) {
        checkCoils(relay->contactor, net);
        checkCoils(relay->levelChange, net);
        checkCoils(relay->set, net);
        checkCoils(relay->reset, net);
    }
    checkCoils(c.M.contactor, net);
    checkCoils(c.M.levelChange, net);
    checkCoils(c.M.set, net);
    checkCoils(c.M.reset, net);
    checkCoils(c.T.trigger, net);
    checkCoils(c.T.reset, net);
    checkCoils(c.C.count, net);
    checkCoils(c.C.reset, net);
    checkCoils(c.C.direction, net);
    checkCoils(c.H.enable, net);
    checkCoils(c.H.reset, net);
    checkCoils(c.H.resetAll, net);
    checkCoils(c.X.trigger, net);
    checkCoils(c.X.reset, net);
}

void checkFault(const CompileFault& fault) {
    switch (fault.errorNumber) {
        case 1:
        case 10:
        case 50:
        case 51:
        case 52:
        case 54:
        case 55:
        case 98:
        case 99:
            break;
        default:
            std::abort();
    }
    require(fault.line >= 0 && fault.line <= kLadderLines);
    require(!fault.message.isEmpty());
    require(fault.line == 0 || fault.message.endsWith(QString::number(fault.line)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Program program;
    program.LadderGrid.fill(CellEmpty);
    const std::size_t words = std::min<std::size_t>(size / 2, kGridWords);
    for (std::size_t i = 0; i < words; ++i) {
        program.LadderGrid[i] = static_cast<std::uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }

    static CompiledNetwork network;
    network = CompiledNetwork{};
    const std::optional<CompileFault> fault = CompileNetwork(program, network);
    if (fault) {
        checkFault(*fault);
    } else {
        checkNetwork(network);
    }
    require(FormatNetworkDump(network).endsWith("\r\n"));
    return 0;
}
