#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace bdx {

// Coil menu: the entries for a coil letter, in order, with their captions in the language in
// force (offsets 0, 900, 1800, 2700).
struct CoilMenuEntry {
    enum class Kind {
        Function,
        Separator,
        DeleteCoil,
        DeleteLine,
        InsertLine,
        Properties,
        Retentive,
        NonRetentive
    };
    Kind kind = Kind::Separator;
    QString caption;         // with its & accelerator; empty for a separator
    std::uint16_t code = 0;  // the CoilFunction word written, for Function entries
};
std::vector<CoilMenuEntry> CoilMenuEntries(char letter, int languageOffset);

}  // namespace bdx
