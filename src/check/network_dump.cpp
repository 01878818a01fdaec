#include "network_dump.h"

#include <QSaveFile>
#include <algorithm>

namespace bdx {

namespace {

// OR1 groups past this one are left out of the dump.
constexpr int kDumpedOr1Groups = 64;

void appendLine(QByteArray& out, const char* label, int value) {
    out += label;
    out += QByteArray::number(value);
    out += "\r\n";
}

void appendLine(QByteArray& out, const char* text) {
    out += text;
    out += "\r\n";
}

// Group inputs follow each other in the shared list; a count that runs past the list is cut short.
void appendInputs(QByteArray& out, const OrTable& table, int first, int count) {
    for (int i = first; i < std::min(first + count, kMaxOrInputs); ++i) {
        out += QByteArray::number(table.inputs[i]);
        out += "\r\n";
    }
}

void appendOrGroups(QByteArray& out, const OrTable& table, const char* numberLabel, const char* inputsLabel,
                    int groupLimit, bool stopAtEmpty) {
    const int groups = std::min({int(table.groupCount), kMaxOrGroups, groupLimit});
    int first = 0;
    for (int g = 0; g < groups; ++g) {
        const OrGroup& group = table.groups[g];
        if (stopAtEmpty && group.inputCount == 0) {
            break;
        }
        appendLine(out, numberLabel, g);
        appendLine(out, "no of inputs: ", group.inputCount);
        appendLine(out, "Ouput line no: ", group.outputLine);
        if (inputsLabel) {
            appendLine(out, inputsLabel);
        }
        appendInputs(out, table, first, group.inputCount);
        first += group.inputCount;
    }
}

void appendAndEntries(QByteArray& out, const AndTable& table, const char* numberLabel) {
    const int count = std::min(int(table.count), kMaxAndEntries);
    for (int i = 0; i < count; ++i) {
        const AndEntry& entry = table.entries[i];
        appendLine(out, numberLabel, i);
        appendLine(out, "Line No: ", entry.line);
        appendLine(out, "OR1  no: ", entry.orGroup);
        appendLine(out, "Dev ID : ", entry.devId);
    }
}

template <std::size_t N>
void appendCoilTable(QByteArray& out, const char* label, const CoilTable<N>& table) {
    appendLine(out, label);
    for (std::uint16_t entry : table) {
        out += QByteArray::number(entry);
        out += "\r\n";
    }
}

}  // namespace

QByteArray FormatNetworkDump(const CompiledNetwork& network) {
    QByteArray out;
    appendOrGroups(out, network.or1, "OR1 No: ", nullptr, kDumpedOr1Groups, true);
    appendAndEntries(out, network.and1, "AND1 No: ");
    appendOrGroups(out, network.or2, "OR2 No: ", "AND1 Nos: ", kMaxOrGroups, false);
    appendAndEntries(out, network.and2, "AND2 No: ");
    appendOrGroups(out, network.or3, "OR3 No: ", "AND2 Nos: ", kMaxOrGroups, false);

    const CoilTables& coils = network.coils;
    appendCoilTable(out, "QD", coils.Q.contactor);
    appendCoilTable(out, "QP", coils.Q.levelChange);
    appendCoilTable(out, "QS", coils.Q.set);
    appendCoilTable(out, "QR", coils.Q.reset);
    appendCoilTable(out, "MD", coils.M.contactor);
    appendCoilTable(out, "MP", coils.M.levelChange);
    appendCoilTable(out, "MS", coils.M.set);
    appendCoilTable(out, "MR", coils.M.reset);
    appendCoilTable(out, "TT", coils.T.trigger);
    appendCoilTable(out, "RT", coils.T.reset);
    appendCoilTable(out, "CC", coils.C.count);
    appendCoilTable(out, "RC", coils.C.reset);
    appendCoilTable(out, "DC", coils.C.direction);
    appendCoilTable(out, "EH", coils.H.enable);
    appendCoilTable(out, "RH", coils.H.reset);
    appendCoilTable(out, "AH", coils.H.resetAll);
    return out;
}

bool WriteNetworkDump(const CompiledNetwork& network, const QString& path) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(FormatNetworkDump(network)) >= 0 && file.commit();
}

}  // namespace bdx
