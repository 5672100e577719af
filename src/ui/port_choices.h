#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/port_catalogue.h"
#include "ui/dialog_host.h"

namespace axistune {

// What the main window's port list offers and which port number a Connect request carries for
// the user's choice. The Windows program numbers COM1 to COM256 by row; the Linux program lists
// the devices present, takes any typed path, and can say why a device did not open.
class PortChoices {
  public:
    // The rows of the port list, in order, and the row selected at first.
    virtual std::vector<std::wstring> Names() = 0;
    virtual int InitialRow() const { return 0; }
    // The port number for what the user chose in the combo box comboId.
    virtual uint8_t PortNumber(DialogHost& host, int comboId) = 0;
    // The status line for a port that did not open; empty keeps the standard text.
    virtual std::string OpenFailureText() { return std::string(); }

  protected:
    ~PortChoices() = default;
};

// COM1 to COM256 by row. Row 255 (COM256) wraps to port 0 in the request's single byte, which
// no port opens; the engine then reports that it cannot open the port.
class NumberedComPorts final : public PortChoices {
  public:
    std::vector<std::wstring> Names() override;
    uint8_t PortNumber(DialogHost& host, int comboId) override;
};

// The devices a listing finds plus whatever name the user types. The chosen name is assigned
// to one port number of the engine's catalogue, so the engine opens exactly that name.
class ListedPorts final : public PortChoices {
  public:
    using Listing = std::function<std::vector<std::string>()>;
    using FailureText = std::function<std::string()>;

    static constexpr uint8_t kChosenPort = 1;

    // catalogue must outlive this; failureText may be empty.
    ListedPorts(Listing listing, PortCatalogue& catalogue, FailureText failureText = {});

    std::vector<std::wstring> Names() override;
    // 0 when nothing is chosen (the engine then reports that it cannot open the port).
    uint8_t PortNumber(DialogHost& host, int comboId) override;
    std::string OpenFailureText() override;

  private:
    Listing listing_;
    PortCatalogue& catalogue_;
    FailureText failureText_;
};

}  // namespace axistune
