#include "cli_commands.h"

#include <functional>
#include <vector>

#include "bdx_version.h"
#include "blocks/device_model.h"
#include "diff_command.h"
#include "firmware_command.h"
#include "image_command.h"
#include "monitor_command.h"
#include "print_command.h"
#include "program_commands.h"
#include "settings_command.h"
#include "simulate_command.h"
#include "transfer_commands.h"
#include "utility_commands.h"

namespace bdx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kUsage = 2;

struct Command {
    const char* name;
    const char* synopsis;
    std::function<int(const QStringList&, QTextStream&, QTextStream&)> run;
};

int listModels(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (!args.isEmpty()) {
        err << "models takes no arguments\n";
        return kUsage;
    }
    for (int index = 0; index < kModelCount; ++index) {
        const DeviceModel& m = kDeviceModels[index];
        out << index << '\t' << m.displayName << '\t' << SupplyText(m.supply) << '\t'
            << (HasDisplay(index) ? "yes" : "no") << '\t' << (HasAnalog(index) ? "yes" : "no") << '\t'
            << (AdvancedTimeSwitch(index) ? 2 : 1) << '\n';
    }
    return kOk;
}

const std::vector<Command>& commands() {
    static const std::vector<Command> list = {
        {"models", "list the device models: index, name, supply, display, analog, time-switch generation",
         listModels},
        {"convert", "IN OUT: read a program file of any generation, write it in the current layout",
         ConvertCommand},
        {"info", "FILE: generation, model, extension modules, used lines and blocks of a program file",
         InfoCommand},
        {"check", "FILE [--lang en|pt|pl|es]: the error list of a program and its compile fault, if any",
         CheckCommand},
        {"xref", "FILE [--lang en|pt|pl|es]: every operand the ladder uses, as contact or coil, its lines and comment",
         XrefCommand},
        {"simulate",
         "FILE [--script FILE|-] [--start YYYY-MM-DDTHH:MM:SS] [--step SECONDS]: run a program on a manual "
         "clock "
         "against a script of inputs and expectations",
         SimulateCommand},
        {"image", "FILE [--big-endian|--little-endian] [--lad] -o OUT: write the device image of a program",
         ImageCommand},
        {"write", "FILE DEVICE-OPTIONS: write a program to the device", WriteCommand},
        {"read", "-o FILE DEVICE-OPTIONS: read the device's program into a file", ReadCommand},
        {"monitor", "FILE [--seconds N] DEVICE-OPTIONS: watch the device run a program", MonitorCommand},
        {"clock", "[--set now|\"YYYY-MM-DD HH:MM:SS\"] DEVICE-OPTIONS: read or set the device clock",
         ClockCommand},
        {"run", "DEVICE-OPTIONS: put the device in run mode", RunCommand},
        {"stop", "DEVICE-OPTIONS: stop the device", StopCommand},
        {"scan-id", "DEVICE-OPTIONS: find the device's Modbus address (1..247)", ScanIdCommand},
        {"firmware", "PACKAGE [--verify] DEVICE-OPTIONS: update the device's firmware", FirmwareCommand},
        {"settings",
         "[--tcp A.B.C.D:PORT|--serial DEVICE|--usb] [--baud B] [--parity N|E|O] [--stop 1|2] [--id N]: show "
         "or store the communication settings the device commands use by default",
         SettingsCommand},
        {"print",
         "FILE --kind parameters|comments|short (--pdf OUT | --text) [--lang en|pt|pl|es]: the parameter "
         "listing, the comment listing or the short printout of a program",
         PrintCommand},
        {"diff", "A B [--lang en|pt|pl|es]: the differences between two programs (exit 1 when they differ)", DiffCommand},
    };
    return list;
}

void printHelp(QTextStream& out) {
    out << "Usage: branteldesk-cli COMMAND [ARGUMENTS]\n"
           "       branteldesk-cli --help | --version\n\n"
           "Commands:\n";
    for (const Command& c : commands()) {
        out << "  " << QString::fromLatin1(c.name).leftJustified(12) << c.synopsis << '\n';
    }
}

}  // namespace

int Run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.isEmpty()) {
        printHelp(err);
        return kUsage;
    }
    const QString& first = arguments.front();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        printHelp(out);
        return kOk;
    }
    if (first == QLatin1String("--version")) {
        out << "branteldesk-cli " << kVersionText << '\n';
        return kOk;
    }
    for (const Command& c : commands()) {
        if (first == QLatin1String(c.name)) {
            return c.run(arguments.mid(1), out, err);
        }
    }
    err << "Unknown command: " << first << "\n\n";
    printHelp(err);
    return kUsage;
}

}  // namespace bdx::cli
