#pragma once

#include <QByteArray>
#include <QString>

#include "check/compiled_network.h"

namespace bdx {

// Diagnostic text of a compiled network, for a developer reading it after a compilation;
// nothing reads it back. ASCII, CR LF after every line, one value per line, values as the
// tables hold them (lines 0-based, kUnassigned = 255):
//
//   OR1 No: 0              for each OR1 group, up to group 63 and up to the first group
//   no of inputs: 2        without inputs
//   Ouput line no: 4
//   73                     its inputs (Dev IDs), one per line
//   ...
//   AND1 No: 0             for each AND1
//   Line No: 4
//   OR1  no: 0
//   Dev ID : 74
//   OR2 No: 0              for each OR2
//   no of inputs: 1
//   Ouput line no: 4
//   AND1 Nos:              heading of its inputs (AND1 numbers), one per line
//   0
//   AND2 No: 0             for each AND2; "OR1  no: " holds its OR2 number
//   Line No: 4
//   OR1  no: 0
//   Dev ID : 255
//   OR3 No: 0              for each OR3, inputs under "AND2 Nos: "
//   ...
//   QD                     coil tables QD QP QS QR MD MP MS MR TT RT CC RC DC EH RH AH:
//   0                      the label, then every entry on its own line
//   255
//   ...
//
// The labels keep the spellings developers know from earlier dumps ("Ouput", "OR1  no: ").
QByteArray FormatNetworkDump(const CompiledNetwork& network);

// Writes the dump atomically, replacing the previous one. False when it cannot be written.
bool WriteNetworkDump(const CompiledNetwork& network, const QString& path);

}  // namespace bdx
