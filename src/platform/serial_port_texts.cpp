#include "platform/serial_port.h"

namespace axistune {

std::string DescribeOpenFailure(const std::string& device, const OpenResult& result) {
    const std::string name = device.empty() ? std::string("the port") : device;
    std::string text;
    switch (result.failure) {
        case OpenFailure::kNone:
            return name + " is open";
        case OpenFailure::kNotFound:
            text = device.empty() ? "No serial port was given" : name + ": no such device";
            break;
        case OpenFailure::kBusy:
            text = name + " is in use by another program";
            break;
        case OpenFailure::kPermissionDenied:
#ifdef _WIN32
            text = name + ": permission denied";
#else
            text = name +
                   ": permission denied. Serial devices belong to the dialout group: add yourself "
                   "with 'sudo usermod -aG dialout $USER', then log out and in again";
#endif
            break;
        case OpenFailure::kOther:
            text = name + " could not be opened";
            break;
    }
    if (!result.systemMessage.empty() && result.failure != OpenFailure::kPermissionDenied) {
        text += " (" + result.systemMessage + ")";
    }
    return text;
}

}  // namespace axistune
