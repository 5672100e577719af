#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "link/frame_sink.h"

namespace axistune {

// Build one command frame in a local buffer and hand it to the sink in one call. Each builder
// fills in 0xAA and N; multi-byte values go out little-endian, signed ones in two's complement
// (pass them converted to unsigned). No escaping: an argument byte 0xAA is sent as it is.

// Command byte followed by up to ten plain bytes; longer argument lists are cut to ten.
void WriteBytesFrame(FrameSink& sink, uint8_t command, std::initializer_list<uint8_t> args);

// Command, one 16-bit value.
void WriteU16Frame(FrameSink& sink, uint8_t command, uint16_t value);

// Command, two bytes, one 16-bit value.
void WriteBytesU16Frame(FrameSink& sink, uint8_t command, uint8_t b0, uint8_t b1, uint16_t value);

// Command, two bytes, two 16-bit values.
void WriteBytesU16U16Frame(FrameSink& sink, uint8_t command, uint8_t b0, uint8_t b1, uint16_t first,
                           uint16_t second);

// Command, two bytes, one 32-bit value.
void WriteBytesU32Frame(FrameSink& sink, uint8_t command, uint8_t b0, uint8_t b1, uint32_t value);

// Command, one byte, two 32-bit values, one byte.
void WriteByteU32U32ByteFrame(FrameSink& sink, uint8_t command, uint8_t b0, uint32_t first,
                              uint32_t second, uint8_t last);

// Command, two bytes, two 32-bit values.
void WriteBytesU32U32Frame(FrameSink& sink, uint8_t command, uint8_t b0, uint8_t b1, uint32_t first,
                           uint32_t second);

}  // namespace axistune
