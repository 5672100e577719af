#pragma once

#include <cstdint>

#include "core/advanced_settings.h"
#include "core/controller_settings.h"
#include "core/status_codes.h"
#include "core/telescope_listener.h"
#include "link/frame_sink.h"
#include "link/protocol_outcome.h"
#include "link/protocol_states.h"
#include "link/reply_parser.h"

namespace axistune {

// The receiving half of the controller protocol and the state machine of every exchange: the
// connection handshake with its firmware check, the re-reads after a reload or new gear ratios,
// the single acknowledgements and the advanced-settings chain. No threads, no I/O, no clock of
// its own: it takes bytes and ticks, writes frames to the sink and reports to the listener.
// All calls come from one thread (the engine's worker).
class ControllerProtocol {
  public:
    static constexpr int32_t kReplyTimeoutTicks = 32;
    static constexpr int32_t kQueryDelayTicks = 2;

    ControllerProtocol(FrameSink& sink, TelescopeListener& listener);

    ControllerProtocol(const ControllerProtocol&) = delete;
    ControllerProtocol& operator=(const ControllerProtocol&) = delete;

    // Resets the record and sends the version query. Always kOutcomeNothing.
    int StartHandshake();
    // Bytes as received from the controller. The outcome of the message: kOutcomeCloseLink if
    // any reply in it asked to close the link, else kOutcomeHandshakeDone if one completed the
    // read, else kOutcomeNothing.
    int OnSerialBytes(const uint8_t* bytes, uint32_t count);
    // One heartbeat (250 ms): query delays and the handshake reply time-out.
    int OnTick();

    const ControllerSettings& Settings() const { return settings_; }
    uint8_t ProtocolLevel() const { return settings_.protocolLevel; }

    int32_t ProtocolState() const { return protocolState_; }
    int32_t PendingState() const { return pendingState_; }
    int32_t DelayTicks() const { return delayTicks_; }
    int32_t ReplyTimeout() const { return replyTimeout_; }
    int32_t SettingsKind() const { return settingsKind_; }
    const ReplyParser& Parser() const { return parser_; }
    const AdvancedSettings& AdvancedSnapshot() const { return advanced_; }

    // Used by request execution, which sets the awaited state just before it writes a frame.
    void SetProtocolState(int32_t state) { protocolState_ = state; }
    bool IsIdle() const { return protocolState_ == ST_READY; }
    // Keeps new maximum speeds and recomputes the top rates of the manual move.
    void SetMaxSpeeds(uint16_t raSpeed, uint16_t decSpeed);
    // Stores the snapshot and sends the first advanced step for the lowest set group of its
    // changed bits. With none set nothing is sent, changed or reported. True when a step was sent.
    bool StartAdvancedChain(const AdvancedSettings& snapshot);

  private:
    enum AdvancedStep { kStepMount, kStepMeridian, kStepClosedLoop };

    int DecodeReply(const ReplyView& reply);
    int DecodeVersion(const ReplyView& reply);
    int DecodeFirmware(const ReplyView& reply);
    int FinishRead();
    void DelayTo(int32_t state);
    void SendQuery(int32_t state);
    void NextAdvancedStep(AdvancedStep from);
    // Sends the first set step from `from` on; false when none is set.
    bool TryAdvancedSteps(AdvancedStep from, bool closedLoopNeedsFeature);

    FrameSink& sink_;
    TelescopeListener& listener_;
    ReplyParser parser_;
    ControllerSettings settings_{};
    AdvancedSettings advanced_{};
    int32_t protocolState_ = ST_OFFLINE;
    int32_t pendingState_ = ST_READY;
    int32_t delayTicks_ = 0;
    int32_t replyTimeout_ = 0;
    int32_t settingsKind_ = kSettingsConnected;
};

}  // namespace axistune
