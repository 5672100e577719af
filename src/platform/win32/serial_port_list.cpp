#include "platform/serial_port_list.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <set>

namespace axistune {

namespace {

constexpr DWORD kMaxDosDeviceBuffer = 1 << 22;  // wide characters; the list is far smaller

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0],
                            size, nullptr, nullptr);
    }
    return result;
}

// COM ports first, by number (COM2 before COM10); any other name a driver registered after
// them, by name.
struct PortOrder {
    // 0 for a name that is not COMn.
    static unsigned long ComNumber(const std::string& name) {
        if (name.size() < 4 || name.size() > 7 || _strnicmp(name.c_str(), "COM", 3) != 0 ||
            !std::all_of(name.begin() + 3, name.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            return 0;
        }
        return std::stoul(name.substr(3));
    }
    bool operator()(const std::string& a, const std::string& b) const {
        const unsigned long numberA = ComNumber(a);
        const unsigned long numberB = ComNumber(b);
        if ((numberA == 0) != (numberB == 0)) {
            return numberA != 0;
        }
        if (numberA != numberB) {
            return numberA < numberB;
        }
        return _stricmp(a.c_str(), b.c_str()) < 0;
    }
};

using PortNames = std::set<std::string, PortOrder>;

// The ports that serial drivers registered, as "COM3" (the value data; value names are the
// drivers' device paths).
void AddRegisteredPorts(PortNames* names) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS) {
        return;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256];
        DWORD valueNameLength = ARRAYSIZE(valueName);
        wchar_t data[256] = {};
        DWORD dataBytes = sizeof(data) - sizeof(wchar_t);  // room for a terminator
        DWORD type = 0;
        const LONG status = RegEnumValueW(key, index, valueName, &valueNameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status == ERROR_SUCCESS && type == REG_SZ && data[0] != L'\0') {
            names->insert(Utf8(data));
        }
    }
    RegCloseKey(key);
}

// The COMn names in the DOS device namespace, which also holds ports that no driver put in
// the registry (Wine's mapped ports among them).
void AddDosDevicePorts(PortNames* names) {
    std::wstring buffer(16384, L'\0');
    DWORD length = 0;
    for (;;) {
        length = QueryDosDeviceW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (length != 0 || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
            buffer.size() >= kMaxDosDeviceBuffer) {
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    for (size_t at = 0; at < length && buffer[at] != L'\0';) {
        const std::wstring name(&buffer[at]);
        at += name.size() + 1;
        const std::string narrow = Utf8(name);
        if (PortOrder::ComNumber(narrow) != 0) {
            names->insert(narrow);
        }
    }
}

}  // namespace

std::vector<SerialPortEntry> ListSerialPorts() {
    PortNames names;
    AddRegisteredPorts(&names);
    AddDosDevicePorts(&names);
    std::vector<SerialPortEntry> ports;
    for (const std::string& name : names) {
        ports.push_back({name, name});
    }
    return ports;
}

}  // namespace axistune
