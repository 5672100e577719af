#include "engine/dispatcher.h"

#include "core/status_codes.h"
#include "engine/request_codes.h"
#include "link/protocol_outcome.h"

namespace axistune {

namespace {

constexpr uint8_t kConnectPayloadLength = 6;

uint32_t ReadLittleEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

Dispatcher::Dispatcher(ConnectionLink& link, ReplySide& replies, RequestExecutor& requests,
                       TelescopeListener& listener)
    : link_(link), replies_(replies), requests_(requests), listener_(listener) {}

void Dispatcher::OnQueueMessage(const uint8_t* message) {
    const uint8_t header = message[0];
    const uint8_t length = header & kMaxQueuePayload;
    const uint8_t* payload = message + 1;
    switch ((header >> 5) & 3) {
        case kKindRequest:
            HandleRequest(message, length);
            break;
        case kKindTick:
            if (portOpen_) {
                HandleOutcome(replies_.OnTick());
            }
            break;
        case kKindSerialBytes:
            if (portOpen_ && length > 0) {
                HandleOutcome(replies_.OnSerialBytes(payload, length));
            }
            break;
        default:
            // Link events carry no data of their own: the port-lost check below does the work.
            break;
    }
    // A pulled adapter ends the connection so that the window shows it closed.
    if (portOpen_ && link_.PortLost()) {
        CloseConnection();
        listener_.OnStatus(kStatusConnectionClosed);
    }
}

void Dispatcher::HandleRequest(const uint8_t* message, uint8_t length) {
    if (length == 0) {
        return;
    }
    const uint8_t code = message[1];
    if (code == kReqConnect && length == kConnectPayloadLength) {
        HandleConnect(message + 1);
        return;
    }
    if (code == kReqDisconnect) {
        if (portOpen_) {
            CloseConnection();
            listener_.OnStatus(kStatusConnectionClosed);
        } else {
            listener_.OnStatus(kStatusNotConnectedYet);
        }
        return;
    }
    if (handshakeDone_) {
        requests_.Execute(message);
    } else {
        listener_.OnStatus(kStatusNotConnectedYet);
    }
}

void Dispatcher::HandleConnect(const uint8_t* payload) {
    if (portOpen_) {
        listener_.OnStatus(kStatusAlreadyConnected);
        return;
    }
    listener_.OnStatus(kStatusOpeningPort);
    if (!link_.Open(payload[1], ReadLittleEndian32(payload + 2))) {
        listener_.OnStatus(kStatusCannotOpenPort);
        return;
    }
    portOpen_ = true;
    handshakeDone_ = false;
    listener_.OnStatus(kStatusConnecting);
    link_.PauseBeforeHandshake();
    HandleOutcome(replies_.StartHandshake());
}

void Dispatcher::HandleOutcome(int outcome) {
    if (outcome == kOutcomeHandshakeDone) {
        handshakeDone_ = true;
    } else if (outcome == kOutcomeCloseLink) {
        CloseConnection();
    }
}

void Dispatcher::CloseConnection() {
    link_.Close();
    handshakeDone_ = false;
    portOpen_ = false;
}

void Dispatcher::CloseSilently() {
    if (portOpen_) {
        CloseConnection();
    }
}

}  // namespace axistune
