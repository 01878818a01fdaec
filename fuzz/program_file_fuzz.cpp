// libFuzzer target for the program file reader: no input may crash it, and a program it
// accepts must survive being written and read again unchanged.
#include <cstdint>
#include <cstdlib>

#include "ladder/program_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray content =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bdx::Program program;
    if (!bdx::ParseProgramFile(content, program, true).ok()) {
        return 0;
    }
    bdx::Program again;
    if (!bdx::ParseProgramFile(bdx::FormatProgramFile(program), again, true).ok() || !(again == program)) {
        std::abort();
    }
    return 0;
}
