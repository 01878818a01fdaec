#include "rule_checker.h"

#include <array>
#include <initializer_list>

#include "block_usage.h"
#include "blocks/device_model.h"
#include "ladder/grid.h"
#include "rule_messages.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

constexpr int kContactLocationTextId = 4033;     // "Contact-1", then -2 and -3
constexpr int kConnectionLocationTextId = 4036;  // "Connection-1", then -2 and -3
constexpr int kCoilLocationTextId = 4039;        // "Coil"

constexpr std::uint16_t kJunctionBits = JunctionLeft | JunctionUp | JunctionRight | JunctionDown;

// Direction bits of a junction word; a word that is no junction at all has none.
std::uint16_t junctionBits(std::uint16_t word) {
    return (word & ~kJunctionBits) == JunctionBase ? word & kJunctionBits : 0;
}

bool isBlank(std::uint8_t character) {
    return character == ' ' || character == 0;
}

template <std::size_t N>
bool allZero(const std::array<std::uint8_t, N>& record, int first, int count) {
    for (int i = first; i < first + count; ++i) {
        if (record[i] != 0) {
            return false;
        }
    }
    return true;
}

// Coil functions counted per operand; anything else lands in the last slot.
constexpr std::array<std::uint16_t, 12> kCoilFunctions = {
    CoilContactor,    CoilImpulse,   CoilImpulseRetentive, CoilSet,
    CoilSetRetentive, CoilReset,     CoilResetRetentive,   CoilTrigger,
    CoilCount,        CoilDirection, CoilEnable,           CoilResetAll};
constexpr int kFunctionSlots = static_cast<int>(kCoilFunctions.size()) + 1;
constexpr char kCoilLetters[] = "CHMQTUVWX";
constexpr int kCoilLetterCount = sizeof(kCoilLetters) - 1;
constexpr int kMaxOperands = 64;

int functionSlot(std::uint16_t function) {
    for (std::size_t i = 0; i < kCoilFunctions.size(); ++i) {
        if (kCoilFunctions[i] == function) {
            return static_cast<int>(i);
        }
    }
    return kFunctionSlots - 1;
}

int letterSlot(char letter) {
    for (int i = 0; i < kCoilLetterCount; ++i) {
        if (kCoilLetters[i] == letter) {
            return i;
        }
    }
    return -1;
}

struct ContactRef {
    int line;            // 0-based
    int column;          // 0-based
    std::uint16_t code;  // normally open code; the open clock contact for a time switch
    int index;           // 0-based operand number as stored, possibly out of range
};

struct CoilRef {
    int line;
    char letter;
    int index;  // 0-based operand number as stored, possibly out of range
};

class RuleChecker {
  public:
    RuleChecker(const Program& program, const BlockUsage& usage) : p_(program), usage_(usage) {
        for (int line = 0; line < kLadderLines; ++line) {
            for (int column = 0; column < kContactColumns; ++column) {
                const std::uint16_t code = p_.word(line, kContactWord[column]);
                if (IsContactCode(code)) {
                    contacts_.push_back(
                        {line, column, NormallyOpenCode(code),
                         DecodeOperandNumber(p_.word(line, kContactWord[column] + kNumberWordOffset))});
                }
            }
            const std::uint16_t letter = p_.word(line, kCoilLetterWord);
            const int slot = IsCoilLetter(letter) ? letterSlot(static_cast<char>(letter)) : -1;
            if (slot < 0) {
                continue;
            }
            const int index = DecodeOperandNumber(p_.word(line, kCoilNumberWord));
            coils_.push_back({line, static_cast<char>(letter), index});
            if (index >= 0 && index < kMaxOperands) {
                ++coilCounts_[slot][index][functionSlot(p_.word(line, kCoilFunctionWord))];
            }
        }
    }

    std::vector<ErrorRow> run() {
        checkGridCodes();
        checkWiring();
        checkOutputCoils();
        checkRetentiveCoils();
        checkTimers();
        checkCounters();
        checkSoftTexts();
        checkExtensionModules();
        checkDeviceModel();
        checkTimeSwitches();
        checkCompareCounters();
        checkAnalogBlocks();
        checkHourMeters();
        return std::move(rows_);
    }

  private:
    void add(RuleMessage message, int line = 0, int kind = ErrorPosition::None, int column = 0,
             std::initializer_list<QString> args = {}) {
        QString text = RuleMessageText(message);
        switch (args.size()) {
            case 1:
                text = text.arg(*args.begin());
                break;
            case 2:
                text = text.arg(args.begin()[0], args.begin()[1]);
                break;
            case 3:
                text = text.arg(args.begin()[0], args.begin()[1], args.begin()[2]);
                break;
            default:
                break;
        }
        rows_.push_back({line, kind, column, text});
    }
    // A message about a whole operand, without a place.
    void addFor(RuleMessage message, std::initializer_list<QString> args) { add(message, 0, 0, 0, args); }
    void addAtContact(RuleMessage message, const ContactRef& c, std::initializer_list<QString> args = {}) {
        add(message, c.line + 1, ErrorPosition::Contact, c.column + 1, args);
    }
    void addAtJunction(RuleMessage message, int line, int column) {
        add(message, line + 1, ErrorPosition::Connection, column + 1);
    }

    int coilCount(char letter, int index, std::initializer_list<std::uint16_t> functions) const {
        const int slot = letterSlot(letter);
        int count = 0;
        for (std::uint16_t function : functions) {
            count += coilCounts_[slot][index][functionSlot(function)];
        }
        return count;
    }
    int anyCoilCount(char letter, int index) const {
        int count = 0;
        for (int n : coilCounts_[letterSlot(letter)][index]) {
            count += n;
        }
        return count;
    }

    // Every contact of one operand, in grid order.
    template <typename F>
    void forContacts(std::uint16_t code, int index, F&& f) const {
        for (const ContactRef& c : contacts_) {
            if (c.code == code && c.index == index) {
                f(c);
            }
        }
    }

    std::uint16_t junction(int line, int column) const {
        return junctionBits(p_.LadderGrid[JunctionWordIndex(line, column)]);
    }

    // A program read from a device, or from anywhere else than a file or the clipboard, may hold
    // words that nothing in the grid can stand for; none of them may reach the device.
    void checkGridCodes() {
        for (int i = 0; i < kGridWords; ++i) {
            const int w = i % kWordsPerLine;
            if (IsGridCode(w, p_.LadderGrid[i])) {
                continue;
            }
            const int line = i / kWordsPerLine + 1;
            const QString code = QString::number(p_.LadderGrid[i]);
            if (w >= kCoilFunctionWord) {
                add(RuleMessage::UnknownGridCode, line, ErrorPosition::Coil, 0, {code});
            } else {
                const bool junction = w % 3 == kJunctionWordOffset;
                add(RuleMessage::UnknownGridCode, line,
                    junction ? ErrorPosition::Connection : ErrorPosition::Contact, w / 3 + 1, {code});
            }
        }
    }

    void checkWiring() {
        for (int line = 0; line < kLadderLines; ++line) {
            if (p_.word(line, 0) == CellWire && p_.word(line, kNumberWordOffset) == CellWire) {
                add(RuleMessage::ImproperConnection, line + 1, ErrorPosition::Contact, 1);
            }
        }
        forJunctions([&](int line, int column) {
            if (IsImproperJunction(p_.LadderGrid[JunctionWordIndex(line, column)])) {
                addAtJunction(RuleMessage::ImproperOrMissingConnection, line, column);
            }
        });
        forJunctions([&](int line, int column) {
            const bool element = p_.word(line, kContactWord[column]) != CellEmpty;
            if (element != ((junction(line, column) & JunctionLeft) != 0)) {
                addAtJunction(RuleMessage::LeftConnectionMissing, line, column);
            }
        });
        forJunctions([&](int line, int column) {
            const int next = column + 1 < kContactColumns ? kContactWord[column + 1] : kCoilLetterWord;
            const bool element = p_.word(line, next) != CellEmpty;
            if (element != ((junction(line, column) & JunctionRight) != 0)) {
                addAtJunction(RuleMessage::RightConnectionMissing, line, column);
            }
        });
        for (int column = 0; column < kContactColumns; ++column) {
            if (junction(0, column) & JunctionUp) {
                addAtJunction(RuleMessage::UpNotRequired, 0, column);
            }
        }
        for (int line = 1; line < kLadderLines; ++line) {
            for (int column = 0; column < kContactColumns; ++column) {
                const bool up = junction(line, column) & JunctionUp;
                const bool downAbove = junction(line - 1, column) & JunctionDown;
                if (up && !downAbove) {
                    addAtJunction(RuleMessage::UpOpen, line, column);
                } else if (downAbove && !up) {
                    addAtJunction(RuleMessage::DownOpen, line - 1, column);
                }
            }
        }
        for (int column = 0; column < kContactColumns; ++column) {
            if (junction(kLadderLines - 1, column) & JunctionDown) {
                addAtJunction(RuleMessage::DownNotRequired, kLadderLines - 1, column);
            }
        }
        checkVerticalGroups();
    }

    template <typename F>
    void forJunctions(F&& f) const {
        for (int line = 0; line < kLadderLines; ++line) {
            for (int column = 0; column < kContactColumns; ++column) {
                f(line, column);
            }
        }
    }

    // Junctions of one column joined by vertical links form a group that must be fed by an
    // element and lead on to the right. Half a link still joins: the open end is reported on
    // its own, and splitting the group there would report the same break twice more.
    void checkVerticalGroups() {
        struct Group {
            bool any = false, input = false, output = false;
        };
        std::array<Group, kContactColumns> open{};
        forJunctions([&](int line, int column) {
            const std::uint16_t bits = junction(line, column);
            Group& group = open[column];
            group.any |= bits != 0;
            group.input |= (bits & JunctionLeft) != 0;
            group.output |= (bits & JunctionRight) != 0;
            const bool linkedBelow = line + 1 < kLadderLines &&
                                     ((bits & JunctionDown) || (junction(line + 1, column) & JunctionUp));
            if (linkedBelow) {
                return;
            }
            if (group.any && !group.input) {
                addAtJunction(RuleMessage::RungWithoutInput, line, column);
            }
            if (group.any && !group.output) {
                addAtJunction(RuleMessage::RungWithoutOutput, line, column);
            }
            group = Group{};
        });
    }

    void checkOutputCoils() {
        for (char letter : {'Q', 'U', 'V', 'W', 'M'}) {
            const int count = operandInfo(*OperandForLetter(letter)).count;
            for (int i = 0; i < count; ++i) {
                const QString name = QLatin1Char(letter) + QString::number(i + 1);
                if (anyCoilCount(letter, i) == 0) {
                    forContacts(static_cast<std::uint16_t>(letter), i, [&](const ContactRef& c) {
                        addAtContact(RuleMessage::CoilNotDefined, c, {name});
                    });
                }
                const int contactor = coilCount(letter, i, {CoilContactor});
                const int level = coilCount(letter, i, {CoilImpulse, CoilImpulseRetentive});
                const int set = coilCount(letter, i, {CoilSet, CoilSetRetentive});
                const int reset = coilCount(letter, i, {CoilReset, CoilResetRetentive});
                // The rules in order, the first that holds wins; two messages recur on purpose.
                // NOLINTBEGIN(bugprone-branch-clone)
                if (contactor > 1) {
                    addFor(RuleMessage::CoilMoreThanOnce, {name});
                } else if (contactor == 1 && level + set + reset > 0) {
                    addFor(RuleMessage::CoilMultipleWays, {name});
                } else if (contactor == 0 && level >= 2) {
                    addFor(RuleMessage::CoilMoreThanOnce, {name});
                } else if (level == 1 && set + reset > 0) {
                    addFor(RuleMessage::CoilMultipleWays, {name});
                } else if (set != reset || set > 1) {
                    addFor(RuleMessage::CoilSetResetImproper, {name});
                }
                // NOLINTEND(bugprone-branch-clone)
            }
        }
    }

    void checkRetentiveCoils() {
        for (int i = 0; i < operandInfo(Operand::M).count; ++i) {
            const int set = coilCount('M', i, {CoilSetRetentive});
            const int reset = coilCount('M', i, {CoilResetRetentive});
            if (set != reset || set > 1) {
                addFor(RuleMessage::CoilRetentivityError, {QStringLiteral("M") + QString::number(i + 1)});
            }
        }
    }

    // A block whose contacts or other inputs are drawn without the input that drives it: each
    // contact is reported at its place, the other inputs once for the block.
    void checkDrivingInput(char letter, int index, RuleMessage message, std::uint16_t drivingFunction,
                           std::initializer_list<std::uint16_t> otherInputs) {
        if (coilCount(letter, index, {drivingFunction}) > 0) {
            return;
        }
        const QString n = QString::number(index + 1);
        forContacts(static_cast<std::uint16_t>(letter), index,
                    [&](const ContactRef& c) { addAtContact(message, c, {n}); });
        if (coilCount(letter, index, otherInputs) > 0) {
            addFor(message, {n});
        }
    }

    void addIfTwice(char letter, int index, std::uint16_t function, RuleMessage message) {
        if (coilCount(letter, index, {function}) > 1) {
            addFor(message, {QString::number(index + 1)});
        }
    }

    bool timerPresetZero(int index) const {
        const auto& timer = p_.TimerParams[index];
        // Types D to H run an OFF time as well; the others leave its digits unused.
        const int type = timer[TimerField::Type];
        const bool twoTimes = type >= 3 && type <= 7;
        return allZero(timer, TimerField::OnTime, 4) && (!twoTimes || allZero(timer, TimerField::OffTime, 4));
    }

    void checkTimers() {
        for (int i = 0; i < kTimers; ++i) {
            checkDrivingInput('T', i, RuleMessage::TimerNeedsTrigger, CoilTrigger, {CoilReset});
            if (usage_.timers[i].coil && timerPresetZero(i)) {
                addFor(RuleMessage::TimerPresetZero, {QString::number(i + 1)});
            }
            addIfTwice('T', i, CoilTrigger, RuleMessage::TimerTriggerTwice);
            addIfTwice('T', i, CoilReset, RuleMessage::TimerResetTwice);
        }
    }

    void checkCounters() {
        for (int i = 0; i < kCounters; ++i) {
            checkDrivingInput('C', i, RuleMessage::CounterNeedsCount, CoilCount, {CoilReset, CoilDirection});
            addIfTwice('C', i, CoilCount, RuleMessage::CounterCountTwice);
            addIfTwice('C', i, CoilReset, RuleMessage::CounterResetTwice);
            addIfTwice('C', i, CoilDirection, RuleMessage::CounterDirectionTwice);
        }
    }

    // Name of the value a timer field shows, as the embedding dialog names it.
    QString timerValueName(const EmbeddedField& field) const {
        if (field.parameter == 1) {
            return QStringLiteral("PV");
        }
        const int type = p_.TimerParams[field.number - 1][TimerField::Type];
        const bool twoTimes = type >= 3 && type <= 7;
        return field.parameter == 0 && twoTimes ? QStringLiteral("SP OFF") : QStringLiteral("SP");
    }

    bool analogInputAvailable(int input) const {
        if (!HasAnalog(p_.ModelIndex)) {
            return false;
        }
        // Two inputs per module: V1, V2 on the base, then two each on modules A, B and C.
        const int module = (input - 1) / 2;
        return module == 0 || p_.ExtensionModules[module - 1] != 0;
    }

    // Whether the field names a value that exists; reports a block the program lacks.
    bool checkEmbeddedSource(int message, const EmbeddedField& field) {
        const QString x = QString::number(message + 1);
        const QString number = QString::number(field.number);
        switch (field.source) {
            case EmbeddedSource::Timer:
                if (field.number < 1 || field.number > kTimers || field.parameter > 2) {
                    return false;
                }
                if (!usage_.timers[field.number - 1].used()) {
                    addFor(RuleMessage::TextTimerData, {x, timerValueName(field), number});
                }
                return true;
            case EmbeddedSource::Counter:
                if (field.number < 1 || field.number > kCounters || field.parameter > 1) {
                    return false;
                }
                if (!usage_.counters[field.number - 1].used()) {
                    addFor(RuleMessage::TextCounterData,
                           {x, field.parameter == 1 ? QStringLiteral("PV") : QStringLiteral("SP"), number});
                }
                return true;
            case EmbeddedSource::HourMeter: {
                if (field.number < 1 || field.number > kHourMeters || field.parameter > 2) {
                    return false;
                }
                static const std::array<QString, 3> kNames = {QStringLiteral("SP"), QStringLiteral("MT"),
                                                              QStringLiteral("OT")};
                if (!usage_.hourMeters[field.number - 1].used()) {
                    addFor(RuleMessage::TextHourMeterData, {x, kNames[field.parameter], number});
                }
                return true;
            }
            case EmbeddedSource::AnalogInput:
                if (field.number < 1 || field.number > kAnalogChannels) {
                    return false;
                }
                if (!analogInputAvailable(field.number)) {
                    addFor(RuleMessage::TextAnalogData, {x, number});
                }
                return true;
            case EmbeddedSource::DateTime:
                return field.parameter <= 1;
            default:
                return false;
        }
    }

    // The value is written over the field's own positions and the blanks after them, all on
    // the field's display line.
    bool fitsOnDisplay(int message, const EmbeddedField& field) const {
        const int width = EmbeddedFieldWidth(p_, field);
        if (width == 0 || field.position % kDisplayLineLength + width > kDisplayLineLength) {
            return false;
        }
        const auto& text = p_.SoftTextParams[message];
        for (int i = field.position + 4; i < field.position + width; ++i) {
            if (!isBlank(text[i])) {
                return false;
            }
        }
        return true;
    }

    void checkSoftTexts() {
        for (int i = 0; i < kSoftTexts; ++i) {
            const int triggers = coilCount('X', i, {CoilContactor});
            if (triggers > 1) {
                addFor(RuleMessage::TextTriggerTwice, {QString::number(i + 1)});
            }
            if (triggers == 0) {
                continue;
            }
            bool compatible = true;
            for (const EmbeddedField& field : EmbeddedFields(p_, i)) {
                // Both sides are always looked at, so one bad field does not hide the others.
                const bool known = checkEmbeddedSource(i, field);
                compatible = known && fitsOnDisplay(i, field) && compatible;
            }
            if (!compatible) {
                addFor(RuleMessage::TextIncompatible, {QString::number(i + 1)});
            }
        }
    }

    void checkExtensionModules() {
        static constexpr char kInputs[kExtensionModules] = {'J', 'K', 'L'};
        static constexpr char kOutputs[kExtensionModules] = {'U', 'V', 'W'};
        for (int module = 0; module < kExtensionModules; ++module) {
            if (p_.ExtensionModules[module] != 0) {
                continue;
            }
            const QString name(QChar(u'A' + module));
            for (const ContactRef& c : contacts_) {
                if (c.code == std::uint16_t(kInputs[module]) || c.code == std::uint16_t(kOutputs[module])) {
                    addAtContact(RuleMessage::ExtensionModuleNotSelected, c, {name});
                    break;
                }
            }
            for (const CoilRef& coil : coils_) {
                if (coil.letter == kOutputs[module]) {
                    add(RuleMessage::ExtensionModuleNotSelected, coil.line + 1, ErrorPosition::Coil, 0,
                        {name});
                    break;
                }
            }
        }
    }

    void addForContacts(Operand kind, std::initializer_list<int> indices, RuleMessage message) {
        const auto letter = static_cast<std::uint16_t>(static_cast<unsigned char>(operandInfo(kind).letter));
        for (int i : indices) {
            forContacts(letter, i, [&](const ContactRef& c) { addAtContact(message, c); });
        }
    }

    void checkDeviceModel() {
        const int model = p_.ModelIndex;
        if (!HasAnalog(model)) {
            for (int i = 0; i < kAnalogBlocks; ++i) {
                addForContacts(Operand::A, {i}, RuleMessage::AnalogNotPermitted);
            }
        } else {
            // Inputs 7 and 8 of every module are the analog inputs on these models.
            for (Operand kind : {Operand::I, Operand::J, Operand::K, Operand::L}) {
                addForContacts(kind, {6, 7}, RuleMessage::InputsSevenEightMissing);
            }
        }
        if (HasDisplay(model)) {
            return;
        }
        for (int i = 0; i < kSoftTexts; ++i) {
            for (const CoilRef& coil : coils_) {
                if (coil.letter == 'X' && coil.index == i) {
                    add(RuleMessage::SoftTextNotPermitted, coil.line + 1, ErrorPosition::Coil);
                }
            }
        }
        for (int i = 0; i < operandInfo(Operand::Z).count; ++i) {
            addForContacts(Operand::Z, {i}, RuleMessage::ZKeysNotPermitted);
        }
    }

    void checkTimeSwitches() {
        const bool dayMasks = AdvancedTimeSwitch(p_.ModelIndex);
        // Day ranges hold Monday 1 .. Sunday 7; day masks need at least one of their seven days.
        const auto unset = [dayMasks](std::uint8_t days) {
            return dayMasks ? (days & 0x7F) == 0 : days < 1 || days > 7;
        };
        for (int i = 0; i < kTimeSwitches; ++i) {
            const auto& block = p_.TimeSwitchParams[i];
            if (usage_.timeSwitches[i].used() &&
                (unset(block[TimeSwitchField::StartDay]) || unset(block[TimeSwitchField::EndDay]))) {
                addFor(RuleMessage::ClockDaysUndefined, {QString::number(i + 1)});
            }
        }
    }

    void checkCompareCounters() {
        constexpr std::uint8_t kConstantOperand = 0x08;
        for (int i = 0; i < kCompareCounters; ++i) {
            if (!usage_.compareCounters[i].used()) {
                continue;
            }
            const auto& block = p_.CompareParams[i];
            const bool constant = (block[CompareField::Flags] & kConstantOperand) != 0;
            const int first = block[CompareField::Counters] & 0x0F;
            const int second = block[CompareField::Counters] >> 4;
            const QString n = QString::number(i + 1);
            if (!constant && first == second) {
                addFor(RuleMessage::CompareSameCounters, {n});
            }
            if (!usage_.counters[first].coil) {
                addFor(RuleMessage::CompareCounterUndefined, {n, QString::number(first + 1)});
            }
            if (!constant && second != first && !usage_.counters[second].coil) {
                addFor(RuleMessage::CompareCounterUndefined, {n, QString::number(second + 1)});
            }
        }
    }

    void checkAnalogBlocks() {
        for (int i = 0; i < kAnalogBlocks; ++i) {
            const std::uint8_t operands = p_.AnalogParams[i][AnalogField::Operands];
            // The first input is stored doubled in the low nibble, the second operand as is above it.
            if (usage_.analogBlocks[i].used() && (operands >> 4) * 2 == (operands & 0x0F)) {
                addFor(RuleMessage::AnalogSameInputs, {QString::number(i + 1)});
            }
        }
    }

    void checkHourMeters() {
        for (int i = 0; i < kHourMeters; ++i) {
            checkDrivingInput('H', i, RuleMessage::HourMeterNeedsEnable, CoilEnable,
                              {CoilReset, CoilResetAll});
            if (usage_.hourMeters[i].used() && allZero(p_.HourMeterParams[i], HourMeterField::Preset, 5)) {
                addFor(RuleMessage::HourMeterPresetZero, {QString::number(i + 1)});
            }
            addIfTwice('H', i, CoilEnable, RuleMessage::HourMeterEnableTwice);
            addIfTwice('H', i, CoilReset, RuleMessage::HourMeterResetTwice);
            addIfTwice('H', i, CoilResetAll, RuleMessage::HourMeterResetAllTwice);
        }
    }

    const Program& p_;
    const BlockUsage& usage_;
    std::vector<ContactRef> contacts_;
    std::vector<CoilRef> coils_;
    std::array<std::array<std::array<std::uint8_t, kFunctionSlots>, kMaxOperands>, kCoilLetterCount>
        coilCounts_{};
    std::vector<ErrorRow> rows_;
};

}  // namespace

QString ErrorRowKind(const ErrorRow&) {
    return QStringLiteral("Error");
}

QString ErrorRowLine(const ErrorRow& row) {
    if (row.line <= 0) {
        return QStringLiteral("--");
    }
    return QStringLiteral("%1").arg(row.line, 3, 10, QLatin1Char('0'));
}

QString ErrorRowLocation(const ErrorRow& row) {
    const bool column = row.column >= 1 && row.column <= kContactColumns;
    switch (row.positionKind) {
        case ErrorPosition::Contact:
            return column ? LoadText(kContactLocationTextId + row.column - 1) : QStringLiteral("--");
        case ErrorPosition::Connection:
            return column ? LoadText(kConnectionLocationTextId + row.column - 1) : QStringLiteral("--");
        case ErrorPosition::Coil:
            return LoadText(kCoilLocationTextId);
        default:
            return QStringLiteral("--");
    }
}

std::vector<ErrorRow> RunRuleCheck(Program& program) {
    const BlockUsage usage = UpdateBlockUsage(program);
    return RuleChecker(program, usage).run();
}

}  // namespace bdx
