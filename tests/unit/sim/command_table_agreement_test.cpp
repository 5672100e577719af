// The simulated controller and the program agree on the command bytes: dxsim's command table
// (the controller's side) knows exactly the bytes the link names for its traces, and a command
// the program awaits an answer to is one the controller answers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "link/command_names.h"
#include "sim/commands.h"

namespace {

// Where the wording differs. 0x0B: the link names a command by its code's spelling without
// "CMD_", which leaves the bare hex digits "0B"; dxsim keeps "CMD_0B", because its names are
// also words for --no-reply-to and its trace, where "0B" would read as a byte, not a name.
struct Wording {
    uint8_t code;
    const char* link;
    const char* sim;
};
constexpr Wording kWordingsThatDiffer[] = {{0x0B, "0B", "CMD_0B"}};

std::string ExpectedSimName(uint8_t code, const char* linkName) {
    for (const Wording& w : kWordingsThatDiffer) {
        if (w.code == code && linkName == std::string(w.link)) {
            return w.sim;
        }
    }
    return linkName;
}

TEST(CommandTables, SimulatorAndLinkKnowTheSameBytes) {
    size_t simCommands = 0;
    dxsim::CommandTable(&simCommands);
    size_t shared = 0;
    for (int code = 0; code <= 0xFF; ++code) {
        const uint8_t byte = static_cast<uint8_t>(code);
        const char* linkName = axistune::CommandName(byte);
        const dxsim::CommandSpec* sim = dxsim::FindCommand(byte);
        ASSERT_EQ(linkName != nullptr, sim != nullptr) << "byte 0x" << std::hex << code;
        if (sim == nullptr) {
            continue;
        }
        ++shared;
        EXPECT_EQ(sim->name, ExpectedSimName(byte, linkName)) << "byte 0x" << std::hex << code;
        EXPECT_EQ(axistune::CommandAwaitsReply(byte), sim->reply != dxsim::ReplyKind::kNone)
            << linkName;
    }
    EXPECT_EQ(shared, simCommands) << "a byte listed twice in dxsim's table";
}

}  // namespace
