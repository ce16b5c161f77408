// Which device a port number ("COM1" is port 1) opens on this system.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quadrel {

// Name order in which digit runs compare by value: ttyUSB2 before ttyUSB10.
bool naturalLess(std::string_view a, std::string_view b);

// True for a USB or ACM adapter (ttyUSB0, ttyACM0, cu.usbserial-1410, ...).
bool isUsbSerialDevice(std::string_view path);

// USB and ACM adapters first, then the other ports; each group in natural
// name order. Users plug in an adapter, so it should be COM1 if present.
std::vector<std::string> orderSerialPorts(std::vector<std::string> paths);

// The device for port n: the path configured for n (an empty path counts as none), else the n-th
// port of `present` in the order of orderSerialPorts, else /dev/ttyS<n-1>.
std::string devicePathForPort(int n, const std::map<int, std::string>& configured,
                              const std::vector<std::string>& present);

}  // namespace quadrel
