#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "sim/command_line.h"

using dxsim::CommandLine;
using dxsim::ParseCommandLine;

namespace {

bool Parse(std::vector<const char*> args, CommandLine* cl, std::string* error) {
    args.insert(args.begin(), "dxsim");
    return ParseCommandLine(static_cast<int>(args.size()), args.data(), cl, error);
}

TEST(CommandLine, DefaultsToADx5WithoutFaults) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(Parse({}, &cl, &error)) << error;
    EXPECT_EQ(cl.server.profile.name, "dx5");
    EXPECT_FALSE(cl.server.faults.Any());
    EXPECT_FALSE(cl.trace);
    EXPECT_EQ(cl.server.pullAfterMs, -1);
}

TEST(CommandLine, ProfileAndIdentityOverrides) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(Parse({"--profile", "old-version", "--firmware", "0x6300000C", "--hardware", "5",
                       "--baud", "9600"},
                      &cl, &error))
        << error;
    const dxsim::Identity& id = cl.server.profile.identity;
    EXPECT_EQ(id.firmware, 0x6300000Cu);
    EXPECT_EQ(id.hardwareType, 5);
    EXPECT_FALSE(id.shortVersion) << "--hardware asks for the long version reply";
    EXPECT_EQ(id.baud, 9600u);

    ASSERT_TRUE(Parse({"--short-version", "1.2"}, &cl, &error)) << error;
    EXPECT_TRUE(cl.server.profile.identity.shortVersion);
    EXPECT_EQ(cl.server.profile.identity.shortMinor, 2);
}

TEST(CommandLine, FaultsAndLine) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(Parse({"--no-reply-to",
                       "14",
                       "--no-reply-to",
                       "read_firmware",
                       "--delay",
                       "250",
                       "--garbage",
                       "3",
                       "--split",
                       "--split-gap",
                       "4",
                       "--oversize",
                       "2",
                       "--short",
                       "1",
                       "--pull-after",
                       "1.5",
                       "--replug-after",
                       "0.25",
                       "--link",
                       "/tmp/x",
                       "--trace-file",
                       "/tmp/t",
                       "--seed",
                       "9"},
                      &cl, &error))
        << error;
    const dxsim::Faults& f = cl.server.faults;
    EXPECT_TRUE(f.noReplyTo.test(0x14));
    EXPECT_TRUE(f.noReplyTo.test(0x02));
    EXPECT_EQ(f.noReplyTo.count(), 2u);
    EXPECT_EQ(f.replyDelayMs, 250u);
    EXPECT_EQ(f.garbageBytes, 3u);
    EXPECT_TRUE(f.splitReplies);
    EXPECT_EQ(f.splitGapMs, 4u);
    EXPECT_EQ(f.oversizeBytes, 2u);
    EXPECT_EQ(f.shortBytes, 1u);
    EXPECT_EQ(cl.server.pullAfterMs, 1500);
    EXPECT_EQ(cl.server.replugAfterMs, 250);
    EXPECT_EQ(cl.server.linkPath, "/tmp/x");
    EXPECT_TRUE(cl.trace);
    EXPECT_EQ(cl.traceFile, "/tmp/t");
    EXPECT_EQ(cl.server.seed, 9u);
}

TEST(CommandLine, RefusesWhatItDoesNotUnderstand) {
    const std::vector<std::vector<const char*>> bad = {
        {"--profile", "dx9"},     {"--firmware", "zz"},  {"--hardware", "70000"},
        {"--short-version", "1"}, {"--delay", "-3"},     {"--no-reply-to", "1FF"},
        {"--pull-after", "soon"}, {"--baud", "0"},       {"--link"},
        {"--frobnicate"},         {"--oversize", "256"},
    };
    for (const auto& args : bad) {
        CommandLine cl;
        std::string error;
        EXPECT_FALSE(Parse(args, &cl, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

// Every word is read literally: the word after a value option is its value, an option counts only
// when spelled exactly, and the first word in error is the one reported.
TEST(CommandLine, ReadsEveryWordLiterallyAndReportsTheFirstError) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"--profile", "--trace"}, "unknown profile: --trace"},
        {{"--delay", "-3"}, "bad value for --delay: -3"},
        {{"--delay=3"}, "unknown option: --delay=3"},
        {{"-hv"}, "unknown option: -hv"},
        {{"--"}, "unknown option: --"},
        {{"stray"}, "unknown option: stray"},
        {{"--frobnicate", "--profile", "dx9"}, "unknown option: --frobnicate"},
        {{"--profile", "dx9", "--frobnicate"}, "unknown profile: dx9"},
        {{"--help", "--delay", "1", "--link"}, "--link needs a value"},
    };
    for (const auto& [args, expected] : cases) {
        CommandLine cl;
        std::string error;
        EXPECT_FALSE(Parse(args, &cl, &error)) << expected;
        EXPECT_EQ(error, expected);
    }
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(Parse({"--trace-file", "--help", "--link", "[a,b]", "--delay", "1", "--delay", "2"},
                      &cl, &error))
        << error;
    EXPECT_EQ(cl.traceFile, "--help");
    EXPECT_FALSE(cl.help);
    EXPECT_EQ(cl.server.linkPath, "[a,b]");
    EXPECT_EQ(cl.server.faults.replyDelayMs, 2u);
}

TEST(CommandLine, HelpNamesEveryOptionAndProfile) {
    const std::string help = dxsim::UsageText();
    for (const char* word :
         {"--profile",    "--firmware", "--hardware",    "--link",       "--trace",
          "--trace-file", "--no-reply", "--no-reply-to", "--delay",      "--garbage",
          "--split",      "--oversize", "--short",       "--pull-after", "--replug-after",
          "dx3",          "rv5",        "incompatible",  "old-firmware", "old-version"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

}  // namespace
