#include "comm/device_utilities.h"

#include <QCoreApplication>

#include "comm/byte_reader.h"
#include "comm/comm_texts.h"
#include "comm/device_image.h"
#include "comm/modbus_requests.h"
#include "comm/modbus_transaction.h"
#include "comm/transport.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

// Text ids of the language table.
constexpr int kTextDstSameDates = 111;
constexpr int kTextSaveDstPermanently = 196;  // 197 and 198 follow: what Yes and No mean
constexpr int kTextDstHour = 299;
constexpr int kTextDstMinute = 300;
constexpr int kTextDstWeek = 301;
constexpr int kTextDstDay = 302;
constexpr int kTextDstMonth = 303;
constexpr int kTextFeatureNotInFirmware = 304;
constexpr int kTextLevel1FourDigits = 178;
constexpr int kTextLevel2FourDigits = 179;
constexpr int kTextNoValidModbusId = 270;
constexpr int kTextCheckOtherSettings = 271;
constexpr int kTextSetProperTime = 329;
constexpr int kTextResetLevel1 = 713;
constexpr int kTextResetLevel2 = 714;
constexpr int kTextResetNone = 715;
constexpr int kTextNotSupportedDevice = 716;
constexpr int kTextLevel1Absent = 718;
constexpr int kTextLevel2Absent = 719;
constexpr int kTextNoFirmwareVersion = 720;
constexpr int kTextNotSupportedVersion = 721;
constexpr int kTextPasswordSet = 4232;
constexpr int kTextPasswordRemoved = 4233;
constexpr int kTextPasswordNotEnabled = 4234;
constexpr int kTextWrongOldPassword = 4235;
constexpr int kTextWrongConfirmPassword = 4236;
constexpr int kTextBacklightSet = 4239;
constexpr int kTextChooseBacklight = 4240;
constexpr int kTextInvalidPassword = 4256;
constexpr int kTextWritten = 4298;
constexpr int kTextWriteFailed = 4299;
constexpr int kTextReadDone = 4306;
constexpr int kTextReadFailed = 4307;

constexpr int kFirstTwoDigitYear = 2000;

std::uint8_t byteOf(const QByteArray& bytes, int index) {
    return ByteReader(bytes).u8(index).value_or(0);
}

QString lines(std::initializer_list<int> ids) {
    QStringList parts;
    for (const int id : ids) {
        parts << LoadText(id);
    }
    return parts.join(u'\n');
}

int levelFourDigitsText(int level) {
    return level == 2 ? kTextLevel2FourDigits : kTextLevel1FourDigits;
}

bool inRange(int value, int low, int high) {
    return value >= low && value <= high;
}

}  // namespace

// --- Daylight saving ---------------------------------------------------------------------------

std::vector<std::uint16_t> DstRule::registers() const {
    const auto u = [](int v) { return static_cast<std::uint16_t>(v); };
    return {u(enabled ? 1 : 0), u(startWeek),   u(startWeekday), u(startMonth), u(startHour),
            u(startMinute),     u(endWeek),     u(endWeekday),   u(endMonth),   u(endHour),
            u(endMinute),       u(offsetHours), u(offsetMinutes)};
}

std::optional<DstRule> DstRule::fromRegisters(const std::vector<std::uint16_t>& v) {
    if (v.size() != std::size_t(kDstRegisterCount)) {
        return std::nullopt;
    }
    DstRule r;
    r.enabled = v[0] != 0;
    r.startWeek = v[1];
    r.startWeekday = v[2];
    r.startMonth = v[3];
    r.startHour = v[4];
    r.startMinute = v[5];
    r.endWeek = v[6];
    r.endWeekday = v[7];
    r.endMonth = v[8];
    r.endHour = v[9];
    r.endMinute = v[10];
    r.offsetHours = v[11];
    r.offsetMinutes = v[12];
    return r;
}

Refusal DstRuleFault(const DstRule& r) {
    using namespace DstLimit;
    if (!inRange(r.startWeek, 0, Week) || !inRange(r.endWeek, 0, Week)) {
        return WarningBox(LoadText(kTextDstWeek));
    }
    if (!inRange(r.startWeekday, 0, Weekday) || !inRange(r.endWeekday, 0, Weekday)) {
        return WarningBox(LoadText(kTextDstDay));
    }
    if (!inRange(r.startMonth, 0, Month) || !inRange(r.endMonth, 0, Month)) {
        return WarningBox(LoadText(kTextDstMonth));
    }
    if (!inRange(r.startHour, 0, Hour) || !inRange(r.endHour, 0, Hour) || !inRange(r.offsetHours, 0, Hour)) {
        return WarningBox(LoadText(kTextDstHour));
    }
    if (!inRange(r.startMinute, 0, Minute) || !inRange(r.endMinute, 0, Minute) ||
        !inRange(r.offsetMinutes, 0, Minute)) {
        return WarningBox(LoadText(kTextDstMinute));
    }
    if (r.startWeek == r.endWeek && r.startWeekday == r.endWeekday && r.startMonth == r.endMonth) {
        return WarningBox(LoadText(kTextDstSameDates));
    }
    return std::nullopt;
}

QString CommunicationErrorText(bool ethernet) {
    return LoadText(CommText::NoReplyBecause) +
           LoadText(ethernet ? CommText::DialogEthernetCableReason : CommText::DialogSerialCableReason) +
           LoadText(CommText::DialogNotPoweredReason) + LoadText(CommText::VerifyConnection) +
           LoadText(CommText::DialogScanHint);
}

// --- DeviceUtilities ---------------------------------------------------------------------------

DeviceUtilities::DeviceUtilities(ModbusSession& session) : steps_(session), session_(session) {}

bool DeviceUtilities::probeAt(std::uint8_t address) {
    QByteArray request = AreaQueryRequest(address, Area::Time);
    QByteArray reply;
    session_.openIfSerial();
    const bool ok = session_.ModbusTransaction(request, reply);
    session_.closeIfSerial();
    return ok;
}

int DeviceUtilities::recordWord(const QByteArray& record, int offset) const {
    return ByteReader(record).u16(offset, OrderOf(bigEndian)).value_or(0);
}

std::optional<QByteArray> DeviceUtilities::readRecord(int* modelCode) {
    const std::optional<int> model = ReadDeviceIdentity(session_);
    if (!model) {
        return std::nullopt;
    }
    if (modelCode) {
        *modelCode = *model;
    }
    return ReadConfigRecord(session_, ConfigRecordSize(*model));
}

std::optional<QByteArray> DeviceUtilities::ReadDeviceInformation() {
    return ReadDeviceItem(session_, Area::DeviceInfo);
}

bool DeviceUtilities::clockUsesRegisters(const QByteArray& info) const {
    return byteOf(info, InfoByte::MainVersion) != 0 || byteOf(info, InfoByte::MinorVersion) != 0;
}

bool DeviceUtilities::connect() {
    return steps_.CheckCommPort() && ProbeDevice();
}

bool DeviceUtilities::prepareChange(bool askLeaveRun, bool checkPassword) {
    if (askLeaveRun && !ConfirmLeaveRun()) {
        return false;
    }
    if (!connect()) {
        return false;
    }
    if (checkPassword && !CheckDevicePassword()) {
        return false;
    }
    return !askLeaveRun || StopDevice();
}

// --- Clock -------------------------------------------------------------------------------------

std::optional<DeviceClock> DeviceUtilities::ReadClock() {
    if (!connect()) {
        return std::nullopt;
    }
    Prompter& prompter = session_.prompter();
    const std::optional<QByteArray> info = ReadDeviceInformation();
    if (info && info->startsWith("06")) {
        prompter.show({MessageIcon::Critical, FirmwareNotSupportedMessage(), {Reply::Ok, Reply::Help}});
        return std::nullopt;
    }
    std::optional<DeviceClock> clock;
    if (info && clockUsesRegisters(*info)) {
        const auto values =
            ReadRegisters(session_, FunctionCode::ReadHoldingRegisters, kClockRegister, kClockRegisterCount);
        if (values) {
            const auto& v = *values;
            clock = DeviceClock{QDate(v[0], v[1], v[2]), QTime(v[3], v[4], v[5])};
        }
    } else if (info) {
        const std::optional<QByteArray> date = ReadDeviceDate(session_);
        const std::optional<QByteArray> time = date ? ReadDeviceTime(session_) : std::nullopt;
        if (time) {
            clock =
                DeviceClock{QDate(kFirstTwoDigitYear + byteOf(*date, 2), byteOf(*date, 1), byteOf(*date, 0)),
                            QTime(byteOf(*time, 0), byteOf(*time, 1), byteOf(*time, 2))};
        }
    }
    if (!clock || !clock->date.isValid() || !clock->time.isValid()) {
        // A failed exchange has been reported as such; the read failing is no second cause.
        if (!session_.failureReported()) {
            prompter.critical(LoadText(kTextReadFailed));
        }
        return std::nullopt;
    }
    prompter.inform(LoadText(kTextReadDone));
    return clock;
}

bool DeviceUtilities::SetClock(const QDate& date, const QTime& time) {
    Prompter& prompter = session_.prompter();
    if (!date.isValid() || !time.isValid() || date.year() < kFirstTwoDigitYear ||
        date.year() >= kFirstTwoDigitYear + 100) {
        prompter.warn(LoadText(kTextSetProperTime));
        return false;
    }
    if (!prepareChange(true, true)) {
        return false;
    }
    const std::optional<QByteArray> info = ReadDeviceInformation();
    bool ok = false;
    if (info && clockUsesRegisters(*info)) {
        const auto u = [](int v) { return static_cast<std::uint16_t>(v); };
        ok = WriteRegisters(session_, kClockRegister,
                            {u(date.year()), u(date.month()), u(date.day()), u(time.hour()), u(time.minute()),
                             u(time.second())});
    } else if (info) {
        ok = WriteDeviceDate(session_, date.day(), date.month(), date.year()) &&
             WriteDeviceTime(session_, time.hour(), time.minute(), time.second());
    }
    if (ok) {
        prompter.inform(LoadText(kTextWritten));
    } else {
        prompter.critical(LoadText(kTextWriteFailed));
    }
    return ok;
}

bool DeviceUtilities::SetClockToSystemTime() {
    const QDateTime now = QDateTime::currentDateTime();
    return SetClock(now.date(), now.time());
}

std::optional<DstRule> DeviceUtilities::ReadDst() {
    if (!connect()) {
        return std::nullopt;
    }
    Prompter& prompter = session_.prompter();
    const std::optional<QByteArray> info = ReadDeviceInformation();
    if (!info) {
        prompter.critical(LoadText(kTextReadFailed));
        return std::nullopt;
    }
    // Only the firmware that keeps its clock in registers has the daylight-saving block.
    if (!clockUsesRegisters(*info)) {
        prompter.inform(LoadText(kTextFeatureNotInFirmware));
        return std::nullopt;
    }
    const auto values =
        ReadRegisters(session_, FunctionCode::ReadHoldingRegisters, kDstRegister, kDstRegisterCount);
    const std::optional<DstRule> rule = values ? DstRule::fromRegisters(*values) : std::nullopt;
    if (!rule) {
        prompter.critical(LoadText(kTextReadFailed));
        return std::nullopt;
    }
    prompter.inform(LoadText(kTextReadDone));
    return rule;
}

bool DeviceUtilities::SetDst(const DstRule& rule, bool* permanent) {
    Prompter& prompter = session_.prompter();
    if (rule.enabled) {
        if (!Accepted(prompter, DstRuleFault(rule))) {
            return false;
        }
    }
    if (!prepareChange(true, true)) {
        return false;
    }
    const std::optional<QByteArray> info = ReadDeviceInformation();
    if (info && !clockUsesRegisters(*info)) {
        prompter.inform(LoadText(kTextFeatureNotInFirmware));
        return false;
    }
    // Switching daylight saving off touches register 390 only: the rule stays for next time.
    const bool ok = info && (rule.enabled ? WriteRegisters(session_, kDstRegister, rule.registers())
                                          : WriteRegisters(session_, kDstRegister, {0}));
    if (!ok) {
        prompter.critical(LoadText(kTextWriteFailed));
        return false;
    }
    // The device has no frame of its own for "permanently": a Yes leaves it stopped, a No
    // leaves the settings in force until power-off or the next mode change.
    const bool keep = prompter.askYesNo(
        lines({kTextSaveDstPermanently, kTextSaveDstPermanently + 1, kTextSaveDstPermanently + 2}));
    if (permanent) {
        *permanent = keep;
    }
    return true;
}

// --- Run, stop, backlight ----------------------------------------------------------------------

bool DeviceUtilities::StartDevice() {
    return connect() && CheckDevicePassword() && RunDevice();
}

bool DeviceUtilities::StopDeviceCommand() {
    return connect() && CheckDevicePassword() && StopDevice();
}

bool DeviceUtilities::SetBacklightMode(std::optional<BacklightMode> mode) {
    Prompter& prompter = session_.prompter();
    if (!mode) {
        prompter.warn(LoadText(kTextChooseBacklight));
        return false;
    }
    if (!prepareChange(true, false)) {
        return false;
    }
    const std::optional<int> model = ReadDeviceIdentity(session_);
    if (!model) {
        return false;
    }
    // Devices with a level-2 password protect their menu themselves.
    if (*model < ConfigLayout::FirstLargeModel && !CheckDevicePassword()) {
        return false;
    }
    if (!WriteDeviceItem(session_, Area::Backlight, QByteArray(1, static_cast<char>(*mode)))) {
        prompter.critical(LoadText(kTextWriteFailed));
        return false;
    }
    prompter.inform(LoadText(kTextBacklightSet));
    return true;
}

// --- Passwords ---------------------------------------------------------------------------------

std::optional<ResetPassword> DeviceUtilities::ReadResetPassword() {
    if (!connect()) {
        return std::nullopt;
    }
    const std::optional<QByteArray> record = readRecord();
    if (!record) {
        session_.prompter().critical(LoadText(kTextReadFailed));
        return std::nullopt;
    }
    const int bits = byteOf(*record, ConfigLayout::FlagsByte);
    if (bits & ConfigLayout::ResetLevel1) {
        return ResetPassword::Level1;
    }
    return bits & ConfigLayout::ResetLevel2 ? ResetPassword::Level2 : ResetPassword::None;
}

bool DeviceUtilities::SetResetPassword(ResetPassword choice) {
    Prompter& prompter = session_.prompter();
    if (!prepareChange(true, false)) {
        return false;
    }
    const std::optional<QByteArray> info = ReadDeviceInformation();
    if (!info || info->left(kFirmwareTextLength).trimmed().isEmpty()) {
        prompter.warn(LoadText(kTextNoFirmwareVersion));
        return false;
    }
    int model = 0;
    std::optional<QByteArray> record = readRecord(&model);
    if (!record) {
        prompter.critical(LoadText(kTextWriteFailed));
        return false;
    }
    if (model < ConfigLayout::FirstLargeModel) {
        prompter.warn(LoadText(kTextNotSupportedDevice));
        return false;
    }
    if (!clockUsesRegisters(*info)) {
        prompter.warn(LoadText(kTextNotSupportedVersion));
        return false;
    }
    if (choice != ResetPassword::None) {
        const bool level1 = choice == ResetPassword::Level1;
        const int stored =
            recordWord(*record, level1 ? ConfigLayout::Level1Password : ConfigLayout::Level2Password);
        if (stored == 0) {
            prompter.warn(LoadText(level1 ? kTextLevel1Absent : kTextLevel2Absent));
            return false;
        }
        const std::optional<int> typed = AskDevicePassword(prompter);
        if (!typed) {
            return false;
        }
        if (*typed != stored) {
            prompter.warn(LoadText(kTextInvalidPassword));
            return false;
        }
    }
    char& bits = (*record)[ConfigLayout::FlagsByte];
    const int low =
        static_cast<std::uint8_t>(bits) & ~(ConfigLayout::ResetLevel1 | ConfigLayout::ResetLevel2);
    switch (choice) {
        case ResetPassword::Level1:
            bits = static_cast<char>(low | ConfigLayout::ResetLevel1);
            break;
        case ResetPassword::Level2:
            bits = static_cast<char>(low | ConfigLayout::ResetLevel2);
            break;
        case ResetPassword::None:
            bits = static_cast<char>(low);
            break;
    }
    if (!WriteConfigRecord(session_, *record)) {
        prompter.critical(LoadText(kTextWriteFailed));
        return false;
    }
    prompter.inform(LoadText(choice == ResetPassword::Level1   ? kTextResetLevel1
                             : choice == ResetPassword::Level2 ? kTextResetLevel2
                                                               : kTextResetNone));
    return true;
}

std::optional<int> DeviceUtilities::passwordItem(int operation, int level, int oldValue, int newValue) {
    QByteArray item;
    for (const int b : {PasswordOp::ItemLength, operation, level, oldValue >> 8, oldValue & 0xFF,
                        newValue >> 8, newValue & 0xFF}) {
        item.append(static_cast<char>(b));
    }
    QByteArray request = ItemWriteRequest(session_.state().ModbusID, Area::Passwords, item);
    QByteArray reply;
    session_.openIfSerial();
    const bool ok = session_.ModbusTransaction(request, reply);
    session_.closeIfSerial();
    if (!ok) {
        return std::nullopt;
    }
    return ByteReader(reply).u8(PacketByte::Number);
}

bool DeviceUtilities::SetPassword(int level, const QString& oldText, const QString& newText,
                                  const QString& confirmText) {
    Prompter& prompter = session_.prompter();
    if (!IsFourDigitPassword(newText) || newText.toInt() == 0) {
        prompter.warn(LoadText(levelFourDigitsText(level)));
        return false;
    }
    if (confirmText != newText) {
        prompter.warn(LoadText(kTextWrongConfirmPassword));
        return false;
    }
    const std::optional<int> found = storedPassword(level);
    if (!found) {
        return false;
    }
    const int stored = *found;
    if (stored != 0 && (!IsFourDigitPassword(oldText) || oldText.toInt() != stored)) {
        prompter.warn(LoadText(kTextWrongOldPassword));
        return false;
    }
    const std::optional<int> status = passwordItem(PasswordOp::Set, level, stored, newText.toInt());
    if (status == PasswordStatus::Done) {
        prompter.inform(LoadText(kTextPasswordSet));
        return true;
    }
    prompter.critical(LoadText(status == PasswordStatus::Wrong      ? kTextWrongOldPassword
                               : status == PasswordStatus::NoLevel2 ? kTextNotSupportedDevice
                                                                    : kTextWriteFailed));
    return false;
}

// Stops the device and reads the password of `level` from its configuration record (0 when
// none is set); nothing, after telling the user, when that cannot be done.
std::optional<int> DeviceUtilities::storedPassword(int level) {
    Prompter& prompter = session_.prompter();
    if (!prepareChange(true, false)) {
        return std::nullopt;
    }
    int model = 0;
    const std::optional<QByteArray> record = readRecord(&model);
    if (!record) {
        prompter.critical(LoadText(kTextWriteFailed));
        return std::nullopt;
    }
    if (level == 2 && model < ConfigLayout::FirstLargeModel) {
        prompter.warn(LoadText(kTextNotSupportedDevice));
        return std::nullopt;
    }
    return recordWord(*record, level == 2 ? ConfigLayout::Level2Password : ConfigLayout::Level1Password);
}

bool DeviceUtilities::RemovePassword(int level, const QString& oldText) {
    Prompter& prompter = session_.prompter();
    const std::optional<int> found = storedPassword(level);
    if (!found) {
        return false;
    }
    const int stored = *found;
    if (stored == 0) {
        prompter.warn(LoadText(kTextPasswordNotEnabled));
        return false;
    }
    if (!IsFourDigitPassword(oldText) || oldText.toInt() != stored) {
        prompter.warn(LoadText(kTextWrongOldPassword));
        return false;
    }
    const std::optional<int> status = passwordItem(PasswordOp::Remove, level, stored, 0);
    if (status == PasswordStatus::Done) {
        prompter.inform(LoadText(kTextPasswordRemoved));
        return true;
    }
    prompter.critical(LoadText(status == PasswordStatus::Absent  ? kTextPasswordNotEnabled
                               : status == PasswordStatus::Wrong ? kTextWrongOldPassword
                                                                 : kTextWriteFailed));
    return false;
}

// --- Address search ----------------------------------------------------------------------------

void DeviceUtilities::CancelIdSearch() {
    session_.state().IdSearchActive = false;
}

IdSearchResult DeviceUtilities::ScanModbusId(ScanProgress* progress) {
    CommState& state = session_.state();
    state.QuietComm = true;
    state.IdSearchActive = true;
    if (progress) {
        progress->setRange(DeviceAddress::FirstId, DeviceAddress::LastId);
    }
    IdSearchResult result = IdSearchResult::NotFound;
    for (int id = DeviceAddress::FirstId; id <= DeviceAddress::LastId; ++id) {
        if (!state.IdSearchActive) {
            result = IdSearchResult::Cancelled;
            break;
        }
        state.IdSearchCount = static_cast<std::uint8_t>(id);
        state.MatchedReply = false;
        const bool answered = probeAt(static_cast<std::uint8_t>(id));
        QCoreApplication::processEvents();
        if (progress) {
            progress->setValue(id);
        }
        if (answered) {
            state.ModbusID = static_cast<std::uint8_t>(id);
            result = IdSearchResult::Found;
            break;
        }
    }
    state.QuietComm = false;
    state.IdSearchActive = false;
    state.MatchedReply = false;
    state.IdSearchCount = 254;

    Prompter& prompter = session_.prompter();
    if (result == IdSearchResult::Found) {
        if (saveSettings) {
            saveSettings();
        }
        prompter.inform(LoadText(CommText::ModbusIdModified) + u'\n' + LoadText(CommText::DeviceModbusIdIs) +
                        QString::number(state.ModbusID));
    } else if (result == IdSearchResult::NotFound) {
        prompter.warn(lines({kTextNoValidModbusId, kTextCheckOtherSettings}));
    }
    return result;
}

}  // namespace bdx
