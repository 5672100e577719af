#include "sim/command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "sim/commands.h"

namespace dxsim {

namespace {

bool ParseUnsigned(const std::string& text, int base, unsigned long long max,
                   unsigned long long* out) {
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = strtoull(text.c_str(), &end, base);
    if (errno != 0 || *end != '\0' || v > max) {
        return false;
    }
    *out = v;
    return true;
}

bool ParseSeconds(const std::string& text, int64_t* ms) {
    errno = 0;
    char* end = nullptr;
    const double v = strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || *end != '\0' || !(v >= 0.0) || v > 1e7) {
        return false;
    }
    *ms = static_cast<int64_t>(std::llround(v * 1000.0));
    return true;
}

// A command byte in hex (0x14 or 14) or by name (READ_BASE_SETTINGS).
bool ParseCommandByte(const std::string& text, uint8_t* out) {
    size_t count = 0;
    const CommandSpec* table = CommandTable(&count);
    for (size_t i = 0; i < count; ++i) {
        if (strcasecmp(table[i].name, text.c_str()) == 0) {
            *out = table[i].code;
            return true;
        }
    }
    unsigned long long v = 0;
    if (!ParseUnsigned(text, 16, 0xFF, &v)) {
        return false;
    }
    *out = static_cast<uint8_t>(v);
    return true;
}

}  // namespace

std::string UsageText() {
    std::string profiles;
    for (const Profile& p : Profiles()) {
        profiles += "                        " + p.name + ": " + p.description + "\n";
    }
    return "Usage: dxsim [options]\n"
           "A simulated DX3, DX5 or RV5 motor controller on a pseudo-terminal. Prints the\n"
           "path of the terminal that a host opens as its serial port (one line on stdout),\n"
           "then serves until SIGINT or SIGTERM.\n"
           "\n"
           "Controller:\n"
           "  --profile NAME        the controller to simulate (default dx5):\n" +
           profiles +
           "  --firmware HEX        firmware version word, e.g. 0x0100000C (1.0.0.12)\n"
           "  --hardware N          hardware type in the (long) version reply, 0..65535\n"
           "  --short-version M.m   answer the version query in the old short form M.m\n"
           "  --baud N              rate the controller's line runs at (default: the\n"
           "                        profile's; a host at another rate gets noise)\n"
           "\n"
           "Line:\n"
           "  --link PATH           keep a symbolic link to the terminal at PATH (an old\n"
           "                        link there is replaced; removed again at exit)\n"
           "  --pull-after SEC      pull the cable SEC seconds after start: the terminal\n"
           "                        closes and the link goes\n"
           "  --replug-after SEC    after a pull, open a new terminal SEC seconds later at\n"
           "                        the same link path and print its path\n"
           "\n"
           "Faults:\n"
           "  --no-reply            answer nothing at all\n"
           "  --no-reply-to CMD     answer nothing to this command byte (hex, e.g. 14, or a\n"
           "                        name such as READ_BASE_SETTINGS); may be repeated\n"
           "  --delay MS            send every reply MS milliseconds late\n"
           "  --garbage N           send N junk bytes (never 0x55) before every reply\n"
           "  --split               send replies one byte at a time ...\n"
           "  --split-gap MS        ... MS milliseconds apart (default 2)\n"
           "  --oversize N          add N payload bytes to every reply\n"
           "  --short N             cut N payload bytes from every reply\n"
           "  --seed N              seed of the junk and noise bytes (default 1)\n"
           "\n"
           "Output:\n"
           "  --trace               print one line per frame in each direction to stderr\n"
           "  --trace-file FILE     print that trace to FILE instead\n"
           "  --help                show this text\n"
           "  --version             show dxsim's version\n"
           "\n"
           "A host that never sets a line rate (the terminal's default) is answered at any\n"
           "profile's rate.\n";
}

bool ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::string* error) {
    CommandLine cl;
    cl.server.profile = *FindProfile("dx5");
    std::string profileName = "dx5";
    bool haveFirmware = false;
    bool haveHardware = false;
    bool haveShort = false;
    bool haveBaud = false;
    uint32_t firmware = 0;
    uint16_t hardware = 0;
    uint8_t shortMajor = 0;
    uint8_t shortMinor = 0;
    uint32_t baud = 0;

    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        auto value = [&](std::string* v) {
            if (i + 1 >= argc) {
                *error = opt + " needs a value";
                return false;
            }
            *v = argv[++i];
            return true;
        };
        auto bad = [&](const std::string& v) {
            *error = "bad value for " + opt + ": " + v;
            return false;
        };
        std::string v;
        unsigned long long n = 0;
        if (opt == "--help" || opt == "-h") {
            cl.help = true;
        } else if (opt == "--version") {
            cl.version = true;
        } else if (opt == "--profile") {
            if (!value(&v)) {
                return false;
            }
            if (!FindProfile(v)) {
                *error = "unknown profile: " + v;
                return false;
            }
            profileName = v;
        } else if (opt == "--firmware") {
            if (!value(&v)) {
                return false;
            }
            if (!ParseUnsigned(v, 0, 0xFFFFFFFFull, &n)) {
                return bad(v);
            }
            haveFirmware = true;
            firmware = static_cast<uint32_t>(n);
        } else if (opt == "--hardware") {
            if (!value(&v)) {
                return false;
            }
            if (!ParseUnsigned(v, 0, 0xFFFF, &n)) {
                return bad(v);
            }
            haveHardware = true;
            hardware = static_cast<uint16_t>(n);
        } else if (opt == "--short-version") {
            if (!value(&v)) {
                return false;
            }
            const size_t dot = v.find('.');
            unsigned long long major = 0;
            unsigned long long minor = 0;
            if (dot == std::string::npos || !ParseUnsigned(v.substr(0, dot), 10, 255, &major) ||
                !ParseUnsigned(v.substr(dot + 1), 10, 255, &minor)) {
                return bad(v);
            }
            haveShort = true;
            shortMajor = static_cast<uint8_t>(major);
            shortMinor = static_cast<uint8_t>(minor);
        } else if (opt == "--baud") {
            if (!value(&v)) {
                return false;
            }
            if (!ParseUnsigned(v, 10, 4000000, &n) || n == 0) {
                return bad(v);
            }
            haveBaud = true;
            baud = static_cast<uint32_t>(n);
        } else if (opt == "--link") {
            if (!value(&v)) {
                return false;
            }
            if (v.empty()) {
                return bad(v);
            }
            cl.server.linkPath = v;
        } else if (opt == "--pull-after" || opt == "--replug-after") {
            int64_t ms = 0;
            if (!value(&v)) {
                return false;
            }
            if (!ParseSeconds(v, &ms)) {
                return bad(v);
            }
            (opt == "--pull-after" ? cl.server.pullAfterMs : cl.server.replugAfterMs) = ms;
        } else if (opt == "--no-reply") {
            cl.server.faults.noReply = true;
        } else if (opt == "--no-reply-to") {
            uint8_t code = 0;
            if (!value(&v)) {
                return false;
            }
            if (!ParseCommandByte(v, &code)) {
                return bad(v);
            }
            cl.server.faults.noReplyTo.set(code);
        } else if (opt == "--delay" || opt == "--garbage" || opt == "--split-gap" ||
                   opt == "--oversize" || opt == "--short") {
            const unsigned long long max = (opt == "--oversize" || opt == "--short") ? 255
                                           : opt == "--garbage"                      ? 4096
                                                                                     : 600000;
            if (!value(&v)) {
                return false;
            }
            if (!ParseUnsigned(v, 10, max, &n)) {
                return bad(v);
            }
            const uint32_t u = static_cast<uint32_t>(n);
            Faults& f = cl.server.faults;
            if (opt == "--delay") {
                f.replyDelayMs = u;
            } else if (opt == "--garbage") {
                f.garbageBytes = u;
            } else if (opt == "--split-gap") {
                f.splitGapMs = u;
            } else if (opt == "--oversize") {
                f.oversizeBytes = u;
            } else {
                f.shortBytes = u;
            }
        } else if (opt == "--split") {
            cl.server.faults.splitReplies = true;
        } else if (opt == "--seed") {
            if (!value(&v)) {
                return false;
            }
            if (!ParseUnsigned(v, 0, ~0ull, &n)) {
                return bad(v);
            }
            cl.server.seed = n;
        } else if (opt == "--trace") {
            cl.trace = true;
        } else if (opt == "--trace-file") {
            if (!value(&v)) {
                return false;
            }
            if (v.empty()) {
                return bad(v);
            }
            cl.trace = true;
            cl.traceFile = v;
        } else {
            *error = "unknown option: " + opt;
            return false;
        }
    }

    cl.server.profile = *FindProfile(profileName);
    Identity& id = cl.server.profile.identity;
    if (haveFirmware) {
        id.firmware = firmware;
    }
    if (haveHardware) {
        id.hardwareType = hardware;
        id.shortVersion = false;
    }
    if (haveShort) {
        id.shortVersion = true;
        id.shortMajor = shortMajor;
        id.shortMinor = shortMinor;
    }
    if (haveBaud) {
        id.baud = baud;
    }
    *out = std::move(cl);
    return true;
}

}  // namespace dxsim
