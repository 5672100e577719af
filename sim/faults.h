#pragma once

#include <bitset>
#include <cstdint>

namespace dxsim {

// Faults of the controller's side of the line, switchable at any time. The cable pull lives in
// the pseudo-terminal server because it closes the line itself.
struct Faults {
    bool noReply = false;        // the controller answers nothing at all
    std::bitset<256> noReplyTo;  // command bytes that get no answer
    uint32_t replyDelayMs = 0;   // every reply leaves this much later
    uint32_t garbageBytes = 0;   // junk bytes (never 0x55) sent before every reply
    bool splitReplies = false;   // replies leave one byte at a time ...
    uint32_t splitGapMs = 2;     // ... this far apart
    uint32_t oversizeBytes = 0;  // payload bytes added to every reply (L grows with them)
    uint32_t shortBytes = 0;     // payload bytes cut from every reply (L shrinks with them)

    bool Any() const {
        return noReply || noReplyTo.any() || replyDelayMs != 0 || garbageBytes != 0 ||
               splitReplies || oversizeBytes != 0 || shortBytes != 0;
    }
};

}  // namespace dxsim
