#include "network_compiler.h"

#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId {
    ErrorNumberText = 4053,
    ImproperConnectionText = 4262,
    NoProgramText = 4263,
    Column1ContactsText = 4264,
    LeftRightMissingText = 4265,
    LeftUpDownText = 4266,
    UpRightText = 4267,
    DownRightText = 4268,
    UpDownRightText = 4269,
    ConnectionIsAtText = 4270,
    ConnectionMissingText = 4271,
    AndOperationsText = 4272,
    Column2ContactsText = 4273,
    ConnectionIsThereText = 4274,
};

using Fault = std::optional<CompileFault>;

constexpr std::uint16_t kJunctionBits = JunctionLeft | JunctionUp | JunctionRight | JunctionDown;

// Junction words with exactly one direction lead nowhere.
constexpr bool isSingleDirection(std::uint16_t word) {
    return word == JunctionBase + JunctionLeft || word == JunctionBase + JunctionUp ||
           word == JunctionBase + JunctionRight || word == JunctionBase + JunctionDown;
}

// Only a junction code carries directions; any other value in a junction word connects nothing.
constexpr bool hasBit(std::uint16_t word, std::uint16_t bit) {
    return (word & ~kJunctionBits) == JunctionBase && (word & bit) != 0;
}

constexpr int junctionWord(int column) {
    return kContactWord[column] + kJunctionWordOffset;
}

CompileFault faultWithoutLine(int number, const QString& message) {
    return {number, 0, message};
}

// `line` is 0-based; the user reads lines from 1.
CompileFault faultAtLine(int number, const QString& message, int line) {
    return {number, line + 1, message + QString::number(line + 1)};
}

CompileFault tableFull(int line) {
    return faultAtLine(CompileError::TableFull, LoadText(ImproperConnectionText), line);
}

// For every line, the first group of `table` whose output line it is.
std::array<std::uint16_t, kLadderLines> groupByOutputLine(const OrTable& table) {
    std::array<std::uint16_t, kLadderLines> byLine{};
    byLine.fill(kUnassigned);
    for (int g = 0; g < table.groupCount; ++g) {
        const std::uint16_t line = table.groups[g].outputLine;
        if (line < kLadderLines && byLine[line] == kUnassigned) {
            byLine[line] = static_cast<std::uint16_t>(g);
        }
    }
    return byLine;
}

// For every line, the entry of `table` made for the element on it.
std::array<std::uint16_t, kLadderLines> entryByLine(const AndTable& table) {
    std::array<std::uint16_t, kLadderLines> byLine{};
    byLine.fill(kUnassigned);
    for (int i = 0; i < table.count; ++i) {
        byLine[table.entries[i].line] = static_cast<std::uint16_t>(i);
    }
    return byLine;
}

Fault scanForImproperJunctions(const Program& program) {
    for (int i = 0; i < kGridWords; ++i) {
        if (isSingleDirection(program.LadderGrid[i])) {
            return faultAtLine(CompileError::ImproperJunction, LoadText(ImproperConnectionText),
                               i / kWordsPerLine);
        }
    }
    return std::nullopt;
}

Fault splitRungs(const Program& program, CompiledNetwork& network) {
    network.rungs = {};
    network.rungCount = 0;
    bool open = false;
    std::uint16_t first = 0;
    for (int line = 0; line < kLadderLines; ++line) {
        bool empty = true;
        for (int w = 0; w < kWordsPerLine; ++w) {
            empty = empty && program.word(line, w) == CellEmpty;
        }
        if (empty) {
            continue;
        }
        bool up = false;
        bool down = false;
        for (int column = 0; column < kContactColumns; ++column) {
            up = up || hasBit(program.word(line, junctionWord(column)), JunctionUp);
            down = down || hasBit(program.word(line, junctionWord(column)), JunctionDown);
        }
        if (!up && !open) {
            first = static_cast<std::uint16_t>(line);
            open = true;
        }
        if (!down && open) {
            if (network.rungCount == kMaxRungs) {
                return tableFull(line);
            }
            network.rungs[network.rungCount++] = {first, static_cast<std::uint16_t>(line)};
            open = false;
        }
    }
    if (network.rungCount == 0) {
        return faultWithoutLine(CompileError::NoProgram, LoadText(NoProgramText));
    }
    return std::nullopt;
}

// One level of parallel groups, read from the junctions at the right of `column`. Every line
// whose junction takes its element from the left contributes one input; the junction codes
// say where a group collects inputs, where its right-going wire leaves and where it closes.
struct OrStage {
    int column;
    int errorNumber;  // no group at all, or a left connection without an element
    int messageId;
};

// `inputAt(line)` gives the input of the element on a line, nothing for an empty position.
template <typename InputAt>
Fault buildOrTable(const Program& program, const CompiledNetwork& network, const OrStage& stage,
                   InputAt inputAt, OrTable& table) {
    table = OrTable{};
    const int junction = junctionWord(stage.column);
    for (int r = 0; r < network.rungCount; ++r) {
        int k = 0;
        bool pending = false;
        std::uint16_t output = kUnassigned;
        // Inputs already collected for the group being built start here in the shared list.
        std::uint16_t groupStart = table.inputTotal;

        auto add = [&](int line) -> Fault {
            const std::optional<std::uint16_t> input = inputAt(line);
            if (!input) {
                return faultWithoutLine(stage.errorNumber, LoadText(stage.messageId));
            }
            if (table.inputTotal == kMaxOrInputs) {
                return tableFull(line);
            }
            table.inputs[table.inputTotal++] = *input;
            ++k;
            pending = true;
            return std::nullopt;
        };
        // The inputs of an abandoned group must not shift those of the next groups.
        auto discard = [&] {
            table.inputTotal = groupStart;
            k = 0;
        };
        auto close = [&](std::uint16_t outputLine, int line) -> Fault {
            if (table.groupCount == kMaxOrGroups) {
                return tableFull(line);
            }
            table.groups[table.groupCount++] = {static_cast<std::uint16_t>(k), outputLine};
            groupStart = table.inputTotal;
            k = 0;
            pending = false;
            output = kUnassigned;
            return std::nullopt;
        };

        const Rung rung = network.rungs[r];
        for (int line = rung.first; line <= rung.last; ++line) {
            const auto here = static_cast<std::uint16_t>(line);
            Fault fault;
            switch (program.word(line, junction)) {
                case 128:
                    discard();
                    pending = false;
                    break;
                case 137:  // left, down
                case 139:  // left, up, down
                    fault = add(line);
                    break;
                case 141:  // left, right, down
                case 143:  // all four
                    fault = add(line);
                    output = here;
                    break;
                case 140:  // right, down: the inputs come from below
                    output = here;
                    discard();
                    break;
                case 142:  // up, right, down
                    output = here;
                    break;
                case 131:  // left, up: last input, the wire leaves higher up
                    fault = add(line);
                    if (!fault) {
                        fault = close(output, line);
                    }
                    break;
                case 133:  // left, right
                case 135:  // left, up, right
                    fault = add(line);
                    if (!fault) {
                        fault = close(here, line);
                    }
                    break;
                case 134:  // up, right: the wire leaves below the inputs
                    if (pending) {
                        fault = close(here, line);
                    }
                    discard();
                    break;
                default:
                    break;
            }
            if (fault) {
                return fault;
            }
        }
        discard();
    }
    if (table.groupCount == 0) {
        return faultWithoutLine(stage.errorNumber, LoadText(stage.messageId));
    }
    return std::nullopt;
}

// Contacts of one column in series with the group of the column to their left, which the
// junction at the contact's left leads to.
struct AndStage {
    int column;           // 1 or 2
    int wiringError;      // the left-right and the misplaced-junction faults
    int misplacedTextId;  // text after 4266
    int emptyError;       // no entry at all
};

Fault buildAndTable(const Program& program, const CompiledNetwork& network, const OrTable& feeding,
                    const AndStage& stage, AndTable& table) {
    table = AndTable{};
    const int element = kContactWord[stage.column];
    const int junction = junctionWord(stage.column - 1);
    const auto groupAt = groupByOutputLine(feeding);
    auto hasOutput = [&](int line) {
        return hasBit(program.word(line, junction), JunctionRight) && groupAt[line] != kUnassigned;
    };
    auto missing = [&](int textId, int line) {
        return faultAtLine(CompileError::MissingConnection,
                           LoadText(textId) + LoadText(ConnectionMissingText), line);
    };

    for (int r = 0; r < network.rungCount; ++r) {
        const Rung rung = network.rungs[r];
        for (int line = rung.first; line <= rung.last; ++line) {
            if (program.word(line, element) == CellEmpty) {
                continue;
            }
            // The nearest line whose right-going wire leaves a group: upward first.
            int source = -1;
            switch (program.word(line, junction)) {
                case 133:
                    if (groupAt[line] == kUnassigned) {
                        return faultAtLine(stage.wiringError, LoadText(LeftRightMissingText), line);
                    }
                    source = line;
                    break;
                case 134:
                case 135:
                    for (int l = line; l >= rung.first && source < 0; --l) {
                        source = hasOutput(l) ? l : -1;
                    }
                    if (source < 0) {
                        return missing(UpRightText, line);
                    }
                    break;
                case 140:
                case 141:
                    for (int l = line; l <= rung.last && source < 0; ++l) {
                        source = hasOutput(l) ? l : -1;
                    }
                    if (source < 0) {
                        return missing(DownRightText, line);
                    }
                    break;
                case 142:
                case 143:
                    // Only along the vertical wire this junction sits on.
                    for (int l = line; source < 0; --l) {
                        source = hasOutput(l) ? l : -1;
                        if (l == rung.first || !hasBit(program.word(l, junction), JunctionUp)) {
                            break;
                        }
                    }
                    for (int l = line; source < 0; ++l) {
                        source = hasOutput(l) ? l : -1;
                        if (l == rung.last || !hasBit(program.word(l, junction), JunctionDown)) {
                            break;
                        }
                    }
                    if (source < 0) {
                        return missing(UpDownRightText, line);
                    }
                    break;
                case 131:
                case 137:
                case 138:
                case 139:
                    return faultAtLine(stage.wiringError,
                                       LoadText(LeftUpDownText) + LoadText(stage.misplacedTextId), line);
                default:
                    return faultAtLine(stage.wiringError, LoadText(LeftRightMissingText), line);
            }
            if (table.count == kMaxAndEntries) {
                return tableFull(line);
            }
            table.entries[table.count++] = {
                static_cast<std::uint16_t>(line), groupAt[source],
                DevId(program.word(line, element), program.word(line, element + kNumberWordOffset))};
        }
    }
    if (table.count == 0) {
        return faultWithoutLine(stage.emptyError, LoadText(AndOperationsText));
    }
    return std::nullopt;
}

// Coil number words count from 1: "1" (49) in the old coding, 210 in the current one.
constexpr int decodeCoilNumber(std::uint16_t word) {
    return word < NumberBase ? int(word) - 48 : int(word) - 209;
}

template <std::size_t N>
void put(CoilTable<N>& table, int number, std::uint16_t group) {
    if (number >= 1 && number <= int(N)) {
        table[number - 1] = group;
    }
}

// Retentive kinds fill the same tables as their plain forms, but only auxiliary relays have them.
template <std::size_t N>
void putRelay(RelayCoils<N>& coils, std::uint16_t kind, bool retentive, int number, std::uint16_t group) {
    switch (kind) {
        case CoilContactor:
            put(coils.contactor, number, group);
            break;
        case CoilImpulse:
            put(coils.levelChange, number, group);
            break;
        case CoilSet:
            put(coils.set, number, group);
            break;
        case CoilReset:
            put(coils.reset, number, group);
            break;
        case CoilImpulseRetentive:
            if (retentive) {
                put(coils.levelChange, number, group);
            }
            break;
        case CoilSetRetentive:
            if (retentive) {
                put(coils.set, number, group);
            }
            break;
        case CoilResetRetentive:
            if (retentive) {
                put(coils.reset, number, group);
            }
            break;
        default:
            break;
    }
}

void putCoil(CoilTables& coils, std::uint16_t kind, std::uint16_t letter, std::uint16_t numberWord,
             std::uint16_t group) {
    const int n = decodeCoilNumber(numberWord);
    switch (letter) {
        case 'Q':
            putRelay(coils.Q, kind, false, n, group);
            break;
        case 'U':
            putRelay(coils.U, kind, false, n, group);
            break;
        case 'V':
            putRelay(coils.V, kind, false, n, group);
            break;
        case 'W':
            putRelay(coils.W, kind, false, n, group);
            break;
        case 'M':
            putRelay(coils.M, kind, true, n, group);
            break;
        case 'T':
            if (kind == CoilTrigger) {
                put(coils.T.trigger, n, group);
            } else if (kind == CoilReset) {
                put(coils.T.reset, n, group);
            }
            break;
        case 'C':
            if (kind == CoilCount) {
                put(coils.C.count, n, group);
            } else if (kind == CoilReset) {
                put(coils.C.reset, n, group);
            } else if (kind == CoilDirection) {
                put(coils.C.direction, n, group);
            }
            break;
        case 'H':
            if (kind == CoilEnable) {
                put(coils.H.enable, n, group);
            } else if (kind == CoilReset) {
                put(coils.H.reset, n, group);
            } else if (kind == CoilResetAll) {
                put(coils.H.resetAll, n, group);
            }
            break;
        case 'X':
            if (kind == CoilContactor) {
                put(coils.X.trigger, n, group);
            } else if (kind == CoilReset) {
                put(coils.X.reset, n, group);
            }
            break;
        default:
            break;
    }
}

void assignCoils(const Program& program, const OrTable& or3, CoilTables& coils) {
    coils = CoilTables{};
    const int junction = junctionWord(2);
    const auto groupAt = groupByOutputLine(or3);
    auto hasOutput = [&](int line) {
        return hasBit(program.word(line, junction), JunctionRight) && groupAt[line] != kUnassigned;
    };
    // The nearest line at or below each line whose wire leaves an OR3 group.
    std::array<int, kLadderLines + 1> outputBelow{};
    outputBelow[kLadderLines] = -1;
    for (int line = kLadderLines - 1; line >= 0; --line) {
        outputBelow[line] = hasOutput(line) ? line : outputBelow[line + 1];
    }

    for (int line = 0; line < kLadderLines; ++line) {
        if (!hasBit(program.word(line, junction), JunctionRight)) {
            continue;
        }
        int source = -1;
        for (int l = line; source < 0; --l) {
            source = hasOutput(l) ? l : -1;
            if (l == 0 || !hasBit(program.word(l, junction), JunctionUp)) {
                break;
            }
        }
        if (source < 0) {
            source = outputBelow[line];
        }
        if (source >= 0) {
            putCoil(coils, program.word(line, kCoilFunctionWord), program.word(line, kCoilLetterWord),
                    program.word(line, kCoilNumberWord), groupAt[source]);
        }
    }
}

}  // namespace

QString CompileFaultText(const CompileFault& fault) {
    return LoadText(ErrorNumberText) + u' ' + QString::number(fault.errorNumber) + QStringLiteral("\r\n") +
           fault.message;
}

std::optional<CompileFault> CompileNetwork(const Program& program, CompiledNetwork& network) {
    if (Fault fault = scanForImproperJunctions(program)) {
        return fault;
    }
    if (Fault fault = splitRungs(program, network)) {
        return fault;
    }

    auto column1Contact = [&program](int line) -> std::optional<std::uint16_t> {
        const std::uint16_t element = program.word(line, kContactWord[0]);
        if (element == CellEmpty) {
            return std::nullopt;
        }
        return DevId(element, program.word(line, kContactWord[0] + kNumberWordOffset));
    };
    // Each element of columns 2 and 3 has made one entry of its AND table.
    auto entryOn = [](const std::array<std::uint16_t, kLadderLines>& byLine) {
        return [&byLine](int line) -> std::optional<std::uint16_t> {
            if (byLine[line] == kUnassigned) {
                return std::nullopt;
            }
            return byLine[line];
        };
    };
    if (Fault fault =
            buildOrTable(program, network, {0, CompileError::InsufficientContacts, Column1ContactsText},
                         column1Contact, network.or1)) {
        return fault;
    }
    if (Fault fault = buildAndTable(
            program, network, network.or1,
            {1, CompileError::MissingConnection, ConnectionIsAtText, CompileError::NoAnd1}, network.and1)) {
        return fault;
    }

    const auto and1AtLine = entryByLine(network.and1);
    if (Fault fault =
            buildOrTable(program, network, {1, CompileError::InsufficientContacts, Column2ContactsText},
                         entryOn(and1AtLine), network.or2)) {
        return fault;
    }
    if (Fault fault =
            buildAndTable(program, network, network.or2,
                          {2, CompileError::Column3Connection, ConnectionIsThereText, CompileError::NoAnd2},
                          network.and2)) {
        return fault;
    }

    const auto and2AtLine = entryByLine(network.and2);
    if (Fault fault =
            buildOrTable(program, network, {2, CompileError::InsufficientColumn3, Column2ContactsText},
                         entryOn(and2AtLine), network.or3)) {
        return fault;
    }

    assignCoils(program, network.or3, network.coils);
    return std::nullopt;
}

}  // namespace bdx
