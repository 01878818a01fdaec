#pragma once

// The whole application talking to the virtual device, for the tests of the device windows.

#include "../device/device_process.h"
#include "app_rig.h"
#include "comm/comm_link.h"

namespace bdx {

class DeviceAppRig : public AppRig {
  protected:
    // Starts the device with `deviceArguments` (a TCP endpoint on 127.0.0.1 is added) and the
    // application with its link connected to it over TCP.
    void startConnected(QStringList deviceArguments = {}, const QString& programPath = QString()) {
        deviceArguments << QStringLiteral("--tcp") << QStringLiteral("127.0.0.1:0");
        ASSERT_TRUE(device.start(deviceArguments)) << device.failure.toStdString();
        start(programPath);
        CommState& state = link().state();
        state.TcpHost = QStringLiteral("127.0.0.1");
        state.TcpPort = device.tcpPort;
        ASSERT_TRUE(link().connectEthernet(5000)) << prompter.texts().join(u'\n').toStdString();
        state.ModbusID = 1;
    }
    // Starts the device on a pseudo-terminal and points the application's serial port at it.
    void startOnPty(QStringList deviceArguments = {}, const QString& programPath = QString()) {
        deviceArguments << QStringLiteral("--pty");
        ASSERT_TRUE(device.start(deviceArguments)) << device.failure.toStdString();
        start(programPath);
        CommState& state = link().state();
        state.IsEthernet = false;
        state.CommPort = 1;
        state.SerialPortPath = device.ptyPath;
        state.ModbusID = 1;
    }

    CommLink& link() const { return app->context().commLink(); }

    test::DeviceProcess device;
};

}  // namespace bdx
