#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// The device's firmware loader: after the running firmware hands over, it answers its own
// short frames (identify, erase, write and read a block, reboot) and nothing else.
namespace bdx {

class FirmwareLoader {
  public:
    struct Answer {
        QByteArray reply;  // without CRC; empty: silence
        bool rebooted = false;
        std::optional<QString> firmware;  // the firmware text of a newly written image
    };

    // Forgets what an earlier update left behind.
    void reset();
    // One frame without its CRC, from a device of model code `model`.
    Answer answer(QByteArrayView frame, int model);

  private:
    QByteArray flash_;  // the program memory; empty until erased
    bool erased_ = false;
    bool written_ = false;
};

}  // namespace bdx
