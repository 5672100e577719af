#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/i_telescope_control.h"
#include "engine/telescope_listener.h"
#include "platform/byte_queue.h"

// The engine: a worker thread fed by a private byte queue. Every operation writes one message
// into the queue and returns at once; the worker owns the connection, the serial port and the
// protocol, and reports through the listener (on the worker thread).
class TelescopeControl : public iTelescopeControl {
public:
    static constexpr uint32_t kDefaultWorkerStopWaitMs = 5000;

    // Creates the queue and starts the worker thread.
    explicit TelescopeControl(TelescopeListener* listener);
    // Stops the worker (bounded) if Stop was not called.
    ~TelescopeControl() override;

    // kNone when the queue and the worker run; otherwise nothing is processed and the caller
    // should tell the user (DescribeQueueOpenError) and end.
    QueueOpenError StartError() const;
    bool WorkerStarted() const;

    // Shutdown: ends the worker and, when a connection is open, its serial reader, without a
    // status code and without sending anything. True when every thread ended within the bounds.
    bool Stop(uint32_t workerWaitMs = kDefaultWorkerStopWaitMs);

    void Beat() override;
    void Connect(uint8_t port, uint32_t baudRate) override;
    void Disconnect() override;
    void MoveManual(uint8_t direction, uint8_t speed) override;
    void StopMotion(uint8_t axes) override;
    void SetTracking(uint8_t on) override;
    void SetExp(uint8_t on) override;
    void StoreSettings() override;
    void SendCommand0B() override;
    void ReloadDefaults() override;
    void SetGearRatios(uint32_t raRatio, uint32_t decRatio) override;
    void SetReverseFlags(uint8_t rotation, uint8_t guiding, uint8_t limitSwitches) override;
    void SetCurrent(uint8_t selector, uint16_t milliamps) override;
    void SetDecay(uint8_t selector, uint8_t decay) override;
    void SetMaxSpeed(uint16_t raSpeed, uint16_t decSpeed) override;
    void SetAcceleration(uint8_t raValue, uint8_t decValue) override;
    void SetDeceleration(uint8_t raValue, uint8_t decValue) override;
    void SetOvertone(uint8_t axis, uint8_t value) override;
    void SetIncreaseCurrentAt(uint8_t axis, uint16_t first, uint16_t second) override;
    void SetGuidingRates(uint8_t raRate, uint8_t decRate) override;
    void ApplyAdvanced(const AdvancedSettings& settings) override;
    void ReadVoltage() override;
    void InitScope(uint8_t positionCode) override;
    void DefinePark() override;

    // The controller's protocol level as last set by the worker (relaxed; a stale value only
    // decides whether one overtone or current-increase request is queued).
    uint8_t ProtocolLevel() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
