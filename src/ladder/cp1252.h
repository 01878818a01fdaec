#pragma once

#include <QByteArray>
#include <QString>

// Program files keep their texts in the Windows-1252 code page.
namespace bdx {

QString FromCp1252(QByteArrayView bytes);
// Characters the code page cannot hold become '?'.
QByteArray ToCp1252(QStringView text);

}  // namespace bdx
