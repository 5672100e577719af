#include "link/frame_builders.h"

#include "link/command_codes.h"

namespace axistune {

namespace {

// A frame under construction; Send() fills in N from what was put.
class Frame {
  public:
    explicit Frame(uint8_t command) {
        bytes_[0] = kFrameStart;
        bytes_[2] = command;
    }

    void PutU8(uint8_t value) {
        if (count_ < kMaxFrameBytes) {
            bytes_[count_++] = value;
        }
    }
    void PutU16(uint16_t value) {
        PutU8(static_cast<uint8_t>(value));
        PutU8(static_cast<uint8_t>(value >> 8));
    }
    void PutU32(uint32_t value) {
        PutU16(static_cast<uint16_t>(value));
        PutU16(static_cast<uint16_t>(value >> 16));
    }

    void Send(FrameSink& sink) {
        bytes_[1] = static_cast<uint8_t>(count_ - 2);
        sink.WriteFrame(bytes_, count_);
    }

  private:
    uint8_t bytes_[kMaxFrameBytes] = {};
    size_t count_ = 3;
};

}  // namespace

void WriteBytesFrame(FrameSink& sink, uint8_t command, std::initializer_list<uint8_t> args) {
    Frame frame(command);
    for (uint8_t b : args) {
        frame.PutU8(b);
    }
    frame.Send(sink);
}

void WriteU16Frame(FrameSink& sink, uint8_t command, uint16_t value) {
    Frame frame(command);
    frame.PutU16(value);
    frame.Send(sink);
}

void WriteBytesU16Frame(FrameSink& sink, uint8_t command, uint8_t b0, uint8_t b1, uint16_t value) {
    Frame frame(command);
    frame.PutU8(b0);
    frame.PutU8(b1);
    frame.PutU16(value);
    frame.Send(sink);
}

void WriteBytesU16U16Frame(FrameSink& sink, uint8_t command, uint8_t b0, uint8_t b1, uint16_t first,
                           uint16_t second) {
    Frame frame(command);
    frame.PutU8(b0);
    frame.PutU8(b1);
    frame.PutU16(first);
    frame.PutU16(second);
    frame.Send(sink);
}

void WriteBytesU32Frame(FrameSink& sink, uint8_t command, uint8_t b0, uint8_t b1, uint32_t value) {
    Frame frame(command);
    frame.PutU8(b0);
    frame.PutU8(b1);
    frame.PutU32(value);
    frame.Send(sink);
}

void WriteByteU32U32ByteFrame(FrameSink& sink, uint8_t command, uint8_t b0, uint32_t first,
                              uint32_t second, uint8_t last) {
    Frame frame(command);
    frame.PutU8(b0);
    frame.PutU32(first);
    frame.PutU32(second);
    frame.PutU8(last);
    frame.Send(sink);
}

void WriteBytesU32U32Frame(FrameSink& sink, uint8_t command, uint8_t b0, uint8_t b1, uint32_t first,
                           uint32_t second) {
    Frame frame(command);
    frame.PutU8(b0);
    frame.PutU8(b1);
    frame.PutU32(first);
    frame.PutU32(second);
    frame.Send(sink);
}

}  // namespace axistune
