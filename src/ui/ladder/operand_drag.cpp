#include "operand_drag.h"

#include <QByteArray>
#include <QList>
#include <QMimeData>

namespace bdx {

std::unique_ptr<QMimeData> OperandMimeData(const DraggedOperand& operand) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kOperandMimeType),
                  QByteArray::number(operand.code) + ' ' + QByteArray::number(operand.number));
    return data;
}

std::optional<DraggedOperand> OperandFromMimeData(const QMimeData* data) {
    const QString type = QString::fromLatin1(kOperandMimeType);
    if (data == nullptr || !data->hasFormat(type)) {
        return std::nullopt;
    }
    const QList<QByteArray> parts = data->data(type).split(' ');
    if (parts.size() != 2) {
        return std::nullopt;
    }
    bool codeOk = false;
    bool numberOk = false;
    const uint code = parts[0].toUInt(&codeOk);
    const uint number = parts[1].toUInt(&numberOk);
    if (!codeOk || !numberOk || code > 0xffff || number > 0xffff) {
        return std::nullopt;
    }
    return DraggedOperand{static_cast<std::uint16_t>(code), static_cast<std::uint16_t>(number)};
}

}  // namespace bdx
