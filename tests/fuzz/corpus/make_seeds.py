#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (tests/fuzz/corpus/<target>/). Each seed is a
short, meaningful input in the target's own input format, so that fuzzing starts from
complete handshakes, awaited exchanges, whole queue conversations and typical angle texts."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes(data))


# ---- fuzz_reply_side: start byte, script bytes, then operations ----------------------------


def reply(payload):
    return [0x55, len(payload)] + list(payload)


def chunks(data, one_by_one=False):
    ops = []
    for i in range(0, len(data), 31):
        part = data[i:i + 31]
        ops += [(len(part) - 1) * 8 + (2 if one_by_one else 0)] + part
    return ops


TICK = [3]
TICKS2 = TICK + TICK


def request(payload, advanced=None):
    if advanced is not None:
        return [0x85] + list(advanced) + [len(payload)] + list(payload)
    return [5, len(payload)] + list(payload)


def le32(v):
    return list(struct.pack("<I", v & 0xFFFFFFFF))


BASE = reply([0x14, 0, 0x84] + le32(1382400) + le32(0x01020304) + le32(100) + [0x08] +
             le32(1036800) + le32(0x05060708) + le32(75) + [0])
AXIS = reply([0x15, 0, 0x01, 0x21] + [(i * 7 + 1) & 0xFF for i in range(54)])
HANDSHAKE = (chunks(reply([0x01, 0x0A, 0x00, 0x01, 0x00])) + TICKS2 +
             chunks(reply([0x03, 0x00])) + TICKS2 +
             chunks(reply([0x02, 0x0A, 0x00, 0x00, 0x01])) + TICKS2 + chunks(BASE) + TICKS2 +
             chunks(AXIS) + chunks(reply([0x3D, 0, 0x11, 0x22, 0x05])) +
             chunks(reply([0x64] + le32(4104000) + le32(-691200) + [0])) +
             chunks(reply([0x58, 0x01])))
ACK = [0x55, 0x00]
SCRIPT_BYTES = [0, 0, 0, 0]  # gear ratio, sidereal rate, mount type, mode flag

# Offline, then a whole handshake driven by the operations themselves.
write("fuzz_reply_side", "handshake-by-operations", [0] + [7] + HANDSHAKE)
# The same, byte by byte (the field-by-state check on every byte).
write("fuzz_reply_side", "handshake-byte-by-byte",
      [0] + [7] + [b for b in HANDSHAKE] + chunks(AXIS, one_by_one=True))
# Part of the scripted handshake, then its time-out.
for steps in (0, 2, 5, 8, 9):
    write("fuzz_reply_side", "partial-handshake-%d" % steps,
          [0x81] + SCRIPT_BYTES + [steps] + TICK * 34)
# Refusals: another hardware type, old firmware, the old short version.
write("fuzz_reply_side", "incompatible", [0, 7] + chunks(reply([1, 0x0A, 0, 2, 0])))
write("fuzz_reply_side", "old-firmware",
      [0, 7] + chunks(reply([1, 0x0A, 0, 1, 0])) + TICKS2 + chunks(reply([3, 0])) + TICKS2 +
      chunks(reply([2, 9, 0, 0, 1])))
write("fuzz_reply_side", "old-short-version", [3] + request([21]) + TICK)
# Connected with an exchange awaiting its answer: store, reload (with its re-read), gear
# ratios (with the re-read), advanced chain, voltage, init, park.
answers = {
    0: ACK,
    1: ACK + BASE,
    2: ACK + BASE,
    3: ACK + ACK + ACK + ACK,
    4: reply([0x2B, 0, 0, 0xC4, 0x04]),
    5: ACK,
    6: ACK,
}
for index, answer in answers.items():
    seed = [0x82] + SCRIPT_BYTES + [0xFF] * 24 + [index] + chunks(answer)
    if index == 1:
        seed += TICKS2 + chunks(AXIS) + chunks(reply([0x3D, 0, 1, 2, 3]))
    write("fuzz_reply_side", "awaiting-%d" % index, seed)
# Requests of every code with their arguments, while idle.
codes = [5, 6, 7, 8, 21, 22, 23, 24, 26, 27, 28, 29, 30, 32, 33, 34, 35, 37, 38, 39, 40]
seed = [0x82] + SCRIPT_BYTES + [0] * 24 + [4] + chunks(reply([0x2B, 0, 0, 0xC4, 0x04]))
for code in codes:
    seed += request([code, 3, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70])
write("fuzz_reply_side", "every-request", seed)
write("fuzz_reply_side", "advanced-chain",
      [0x82] + SCRIPT_BYTES + [0] * 24 + [6] + chunks(ACK) +
      request([37], advanced=[0x80, 0, 0, 0, 0x3F, 0, 0, 0, 1, 0, 0, 0] + le32(-4104000) +
              le32(274320) + [1, 1, 12, 0]) + chunks(ACK * 4))

# ---- fuzz_queue: generator seed (4 bytes), then the queue stream ---------------------------

CONNECT = [0x86, 0x03, 0x07, 0x00, 0xC2, 0x01, 0x00]
TICK_MESSAGE = [0xA0, 0x00]
DISCONNECT = [0x81, 0x04]
write("fuzz_queue", "connect-ticks-bytes-disconnect",
      [1, 0, 0, 0] + CONNECT + TICK_MESSAGE * 3 + [0xC7, 0x55, 0x05, 1, 0x0A, 0, 1, 0] +
      [0x82, 0x07, 0x01] + DISCONNECT + DISCONNECT)
write("fuzz_queue", "every-kind-and-length",
      [7, 0, 0, 0] + CONNECT + [0x80, 0x99] + [0xC0, 0x12] + [0xE0, 0x00] + [0xE3, 1, 2, 3] +
      [0xDF] + list(range(31)) + [0x89, 0x18] + list(range(8)) + [0x85, 0x03, 1, 2, 3, 4] +
      [0x12, 0x34] + CONNECT + TICK_MESSAGE)
write("fuzz_queue", "requests-before-and-after",
      [3, 1, 4, 1] + [0x81, 0x15] + CONNECT + [0x81, 0x15] + [0x83, 0x05, 0x03, 0x05] +
      TICK_MESSAGE * 4 + DISCONNECT + [0x81, 0x15])
write("fuzz_queue", "cut-off-message", [9, 9, 9, 9] + CONNECT + [0xC9, 1, 2])

# ---- fuzz_text: mode, then the reader's or the writer's input ----------------------------

readers = [b"N 47:30:00", b" n47.30", b"-47:30", b"47 : 30", b"S 47:30:00", b"W 8:32:00",
           b"e151.12.00", b"4294967295", b"-2147483648", b"--5", b"12:-3:4", b""]
for i, text in enumerate(readers):
    write("fuzz_text", "read-%02d" % i, [0, i % 8, 1 + i % 2] + list(text))
writers = [(0, 8, 0, 0, b"ABCDEFGHIJ"), (1, 12, 2, -2147483648, b""), (2, 3, 1, 150, b""),
           (3, 9, 0, 0xABCDEF01, b""), (4, 32, 2, 4104000, b""), (4, 32, 2, -1646640, b""),
           (4, 7, 0, 23, b""), (4, 40, 0, -2147483648, b"")]
for i, (writer, capacity, position, value, text) in enumerate(writers):
    write("fuzz_text", "write-%02d" % i,
          [1, writer, capacity, position] + le32(value) + list(text))
