#include "ui/port_choices.h"

namespace axistune {

namespace {

constexpr int kComPortCount = 256;
constexpr uint32_t kLongestPortName = 4096;

std::wstring WidenLatin1(const std::string& text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return wide;
}

// Leading and trailing blanks of a typed name are not part of it.
std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<std::wstring> NumberedComPorts::Names() {
    std::vector<std::wstring> names;
    names.reserve(kComPortCount);
    for (int number = 1; number <= kComPortCount; ++number) {
        names.push_back(L"COM" + std::to_wstring(number));
    }
    return names;
}

uint8_t NumberedComPorts::PortNumber(DialogHost& host, int comboId) {
    const int index = host.ComboGetSelection(comboId);
    return static_cast<uint8_t>(static_cast<uint32_t>(index + 1) & 0xFFu);
}

ListedPorts::ListedPorts(Listing listing, PortCatalogue& catalogue, FailureText failureText)
    : listing_(std::move(listing)), catalogue_(catalogue), failureText_(std::move(failureText)) {}

std::vector<std::wstring> ListedPorts::Names() {
    std::vector<std::wstring> names;
    if (listing_) {
        for (const std::string& name : listing_()) {
            names.push_back(WidenLatin1(name));
        }
    }
    return names;
}

uint8_t ListedPorts::PortNumber(DialogHost& host, int comboId) {
    std::string buffer(kLongestPortName, '\0');
    const uint32_t length =
        host.GetItemTextA(comboId, &buffer[0], static_cast<uint32_t>(buffer.size()));
    const std::string name = Trimmed(buffer.substr(0, length));
    if (name.empty()) {
        catalogue_.Clear();
        return 0;
    }
    catalogue_.Assign(kChosenPort, name);
    return kChosenPort;
}

std::string ListedPorts::OpenFailureText() {
    return failureText_ ? failureText_() : std::string();
}

}  // namespace axistune
