#include "sim/command_line.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

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

// dxsim's help: the usage line, the description, one block per group and a closing note, each
// option by its long name and the name of its value.
class HelpLayout : public CLI::Formatter {
  public:
    HelpLayout() { column_width(24); }

    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        std::string text = "Usage: dxsim [options]\n" + app->get_description();
        for (const std::string& group : app->get_groups()) {
            text += "\n" + group + ":\n";
            for (const CLI::Option* option : app->get_options(
                     [&group](const CLI::Option* o) { return o->get_group() == group; })) {
                text += make_option(option, false);
            }
        }
        return text + "\n" + app->get_footer() + "\n";
    }
    std::string make_option_name(const CLI::Option* option, bool) const override {
        return "--" + option->get_lnames().front();
    }
    std::string make_option_opts(const CLI::Option* option) const override {
        return option->get_type_size() == 0 ? "" : " " + option->get_type_name();
    }
};

// The first word dxsim does not accept; parsing ends there.
struct Refusal {
    std::string message;
};

// dxsim reads every word literally: an option only when spelled exactly as one (never
// --name=value, never bundled short options), and the word after an option that takes a value
// is that value whatever it looks like. So CLI11 is shown each other word behind a marker, which
// it keeps as a value or, where no value is due, as a word it does not know; the marker comes
// off again wherever the word ends up.
constexpr char kLiteral = '\x1f';

std::string Unhide(const std::string& word) {
    return !word.empty() && word.front() == kLiteral ? word.substr(1) : word;
}

// dxsim's options on CLI11. Each is applied as it is read, so that the first word in error is
// the one reported, and the last of a repeated option wins.
class Options {
  public:
    explicit Options(CommandLine& line) : line_(line) {
        app_.formatter(std::make_shared<HelpLayout>());
        app_.set_help_flag();
        app_.allow_extras();
        app_.description(
            "A simulated DX3, DX5 or RV5 motor controller on a pseudo-terminal. Prints the\n"
            "path of the terminal that a host opens as its serial port (one line on stdout),\n"
            "then serves until SIGINT or SIGTERM.\n");
        app_.footer(
            "A host that never sets a line rate (the terminal's default) is answered at any\n"
            "profile's rate.");
        AddController();
        AddLine();
        AddFaults();
        AddOutput();
    }

    std::string Help() const { return app_.help(); }

    // False with the message for the first word in error.
    bool Parse(int argc, const char* const* argv, std::string* error) {
        std::vector<std::string> words;  // CLI11 takes them last first
        for (int i = argc - 1; i >= 1; --i) {
            words.push_back(IsOptionName(argv[i]) ? argv[i] : kLiteral + std::string(argv[i]));
        }
        std::string message;
        try {
            app_.parse(words);
        } catch (const Refusal& refusal) {
            message = refusal.message;
        } catch (const CLI::ArgumentMismatch&) {
            // Only the last word can lack its value.
            message = std::string(argv[argc - 1]) + " needs a value";
        } catch (const CLI::ParseError& e) {
            message = e.what();
        }
        // A word it did not know came before anything that failed after it.
        const std::vector<std::string> unknown = app_.remaining();
        if (!unknown.empty()) {
            message = "unknown option: " + Unhide(unknown.front());
        }
        if (!message.empty()) {
            *error = message;
            return false;
        }
        ApplyProfile();
        return true;
    }

  private:
    using Take = std::function<bool(const std::string&)>;

    bool IsOptionName(const std::string& word) const {
        for (const CLI::Option* option : app_.get_options()) {
            for (const std::string& name : option->get_lnames()) {
                if (word == "--" + name) {
                    return true;
                }
            }
            for (const std::string& name : option->get_snames()) {
                if (word == "-" + name) {
                    return true;
                }
            }
        }
        return false;
    }

    // An option with a value; take refuses a value with false, or throws its own Refusal.
    void Value(const std::string& name, const char* valueName, const std::string& description,
               Take take) {
        app_.add_option_function<std::string>(
                name,
                [name, take](const std::string& word) {
                    const std::string value = Unhide(word);
                    if (!take(value)) {
                        throw Refusal{"bad value for " + name + ": " + value};
                    }
                },
                description)
            ->type_name(valueName)
            ->group(group_)
            ->trigger_on_parse();
    }
    void Flag(const std::string& name, bool& flag, const char* description) {
        app_.add_flag(name, flag, description)->group(group_);
    }
    template <typename T>
    static Take Number(int base, unsigned long long max, T& into) {
        return [base, max, &into](const std::string& v) {
            unsigned long long n = 0;
            if (!ParseUnsigned(v, base, max, &n)) {
                return false;
            }
            into = static_cast<T>(n);
            return true;
        };
    }
    template <typename T>
    static Take Optional(int base, unsigned long long max, std::optional<T>& into) {
        return [base, max, &into](const std::string& v) {
            T n{};
            if (!Number(base, max, n)(v)) {
                return false;
            }
            into = n;
            return true;
        };
    }
    static Take Seconds(int64_t& intoMs) {
        return [&intoMs](const std::string& v) { return ParseSeconds(v, &intoMs); };
    }
    static Take Text(std::string& into) {
        return [&into](const std::string& v) {
            into = v;
            return !v.empty();
        };
    }

    void AddController() {
        group_ = "Controller";
        std::string profiles = "the controller to simulate (default dx5):";
        for (const Profile& p : Profiles()) {
            profiles += "\n" + p.name + ": " + p.description;
        }
        Value("--profile", "NAME", profiles, [this](const std::string& v) {
            if (!FindProfile(v)) {
                throw Refusal{"unknown profile: " + v};
            }
            profileName_ = v;
            return true;
        });
        Value("--firmware", "HEX", "firmware version word, e.g. 0x0100000C (1.0.0.12)",
              Optional(0, 0xFFFFFFFFull, firmware_));
        Value("--hardware", "N", "hardware type in the (long) version reply, 0..65535",
              Optional(0, 0xFFFF, hardware_));
        Value("--short-version", "M.m", "answer the version query in the old short form M.m",
              [this](const std::string& v) {
                  const size_t dot = v.find('.');
                  uint8_t major = 0;
                  uint8_t minor = 0;
                  if (dot == std::string::npos || !Number(10, 255, major)(v.substr(0, dot)) ||
                      !Number(10, 255, minor)(v.substr(dot + 1))) {
                      return false;
                  }
                  shortVersion_ = {major, minor};
                  return true;
              });
        Value("--baud", "N",
              "rate the controller's line runs at (default: the\n"
              "profile's; a host at another rate gets noise)",
              [this](const std::string& v) {
                  uint32_t baud = 0;
                  if (!Number(10, 4000000, baud)(v) || baud == 0) {
                      return false;
                  }
                  baud_ = baud;
                  return true;
              });
    }

    void AddLine() {
        group_ = "Line";
        ServerOptions& server = line_.server;
        Value("--link", "PATH",
              "keep a symbolic link to the terminal at PATH (an old\n"
              "link there is replaced; removed again at exit)",
              Text(server.linkPath));
        Value("--pull-after", "SEC",
              "pull the cable SEC seconds after start: the terminal\n"
              "closes and the link goes",
              Seconds(server.pullAfterMs));
        Value("--replug-after", "SEC",
              "after a pull, open a new terminal SEC seconds later at\n"
              "the same link path and print its path",
              Seconds(server.replugAfterMs));
    }

    void AddFaults() {
        group_ = "Faults";
        Faults& f = line_.server.faults;
        Flag("--no-reply", f.noReply, "answer nothing at all");
        Value("--no-reply-to", "CMD",
              "answer nothing to this command byte (hex, e.g. 14, or a\n"
              "name such as READ_BASE_SETTINGS); may be repeated",
              [&f](const std::string& v) {
                  uint8_t code = 0;
                  if (!ParseCommandByte(v, &code)) {
                      return false;
                  }
                  f.noReplyTo.set(code);
                  return true;
              });
        Value("--delay", "MS", "send every reply MS milliseconds late",
              Number(10, 600000, f.replyDelayMs));
        Value("--garbage", "N", "send N junk bytes (never 0x55) before every reply",
              Number(10, 4096, f.garbageBytes));
        Flag("--split", f.splitReplies, "send replies one byte at a time ...");
        Value("--split-gap", "MS", "... MS milliseconds apart (default 2)",
              Number(10, 600000, f.splitGapMs));
        Value("--oversize", "N", "add N payload bytes to every reply",
              Number(10, 255, f.oversizeBytes));
        Value("--short", "N", "cut N payload bytes from every reply",
              Number(10, 255, f.shortBytes));
        Value("--seed", "N", "seed of the junk and noise bytes (default 1)",
              Number(0, ~0ull, line_.server.seed));
    }

    void AddOutput() {
        group_ = "Output";
        Flag("--trace", line_.trace, "print one line per frame in each direction to stderr");
        Value("--trace-file", "FILE", "print that trace to FILE instead",
              [this](const std::string& v) {
                  line_.trace = true;
                  return Text(line_.traceFile)(v);
              });
        Flag("--help,-h", line_.help, "show this text");
        Flag("--version", line_.version, "show dxsim's version");
    }

    // The profile, then what the options change of its identity.
    void ApplyProfile() {
        line_.server.profile = *FindProfile(profileName_);
        Identity& id = line_.server.profile.identity;
        if (firmware_) {
            id.firmware = *firmware_;
        }
        if (hardware_) {
            id.hardwareType = *hardware_;
            id.shortVersion = false;
        }
        if (shortVersion_) {
            id.shortVersion = true;
            id.shortMajor = shortVersion_->first;
            id.shortMinor = shortVersion_->second;
        }
        if (baud_) {
            id.baud = *baud_;
        }
    }

    CommandLine& line_;
    CLI::App app_;
    std::string group_;
    std::string profileName_ = "dx5";
    std::optional<uint32_t> firmware_;
    std::optional<uint16_t> hardware_;
    std::optional<std::pair<uint8_t, uint8_t>> shortVersion_;
    std::optional<uint32_t> baud_;
};

}  // namespace

std::string UsageText() {
    CommandLine unused;
    return Options(unused).Help();
}

bool ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::string* error) {
    CommandLine line;
    if (!Options(line).Parse(argc, argv, error)) {
        return false;
    }
    *out = std::move(line);
    return true;
}

}  // namespace dxsim
