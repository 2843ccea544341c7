#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "presets/preset.h"

// Reading a command line: its tokens and what they ask for, before anything is done. Execution
// (command_line.h) then acts on the state in a fixed order.
namespace vexav6::CommandLine {

// One option as written: the word before the first blank and the rest, trimmed of blanks and
// without double quotes.
// `written` is the word with the dashes it was written with ("-mac", "--help"), for messages.
struct Token {
    std::string word;
    std::string argument;
    std::string written;
    // The argument before its double quotes were taken out.
    std::string rawArgument;
};

// Splits the command line into options. An option begins at a "-" that begins the command line or
// follows a blank, outside double quotes; any number of dashes may begin it ("--help" is "help").
// A dash anywhere else belongs to the argument it stands in ("-n Wi-Fi", "-m 04-D4-C4-5A-12-7F",
// "-report C:\out\my-report.txt"), and a quoted argument keeps whatever it holds. Token 0 is
// the text before the first option (usually empty; "/?", "?" or "help" written without a dash are
// read from it).
std::vector<Token> Tokenize(std::string_view commandLine);

// What made the reading of tokens stop before the end: every later token is ignored.
enum class Stop {
    None,
    ResetOriginal,   // ro
    Help,            // help, /?, ?
    Version,         // version
    OpenPresetFile,  // o
    Failure,         // a check failed; `failure` holds the error
};

// The state that the options build, in the order they are met.
struct CommandState {
    // The arguments of every n met, without double quotes, in order. Each one lists the adapters
    // when the command runs; a second one fails there (its keys are already in the list).
    std::vector<std::string> connectionNames;
    // Created by the first option that sets something in it.
    std::optional<Preset> workingPreset;
    std::string presetName;  // p, without double quotes
    std::string presetFile;  // f, without double quotes
    bool silent = false;
    bool restart = false;
    bool disable = false;
    bool resetOriginal = false;
    bool temporaryAddress = false;
    bool vendorDatabaseNeeded = false;
    bool releaseIPv4 = false;
    bool renewIPv4 = false;
    bool releaseIPv6 = false;
    bool renewIPv6 = false;
    // Output for scripts: the adapter list, the text report (to the console, or to reportFile
    // when one is given).
    bool list = false;
    bool report = false;
    std::string reportFile;
    // -list json, -report json: the same data as JSON.
    bool listJson = false;
    bool reportJson = false;
    // -vendor <text>: the vendors whose name holds the text or whose prefix it is.
    std::optional<std::string> vendorQuery;
    // An option that works on the selected adapter was given (n, or any option that changes
    // something). Without one, a command line that only lists or reports needs no adapter.
    bool actsOnAdapter = false;

    Stop stop = Stop::None;
    std::string presetFileToOpen;  // o, without double quotes
    std::optional<Error> failure;
};

// Reads the tokens in order, each option acting on the state as it is met. Never raises a check
// of its own: a failing check (an unknown option word, an argument where none belongs, restart
// after disable and the other way round, a bad MAC address, a bad list item) ends the reading with
// Stop::Failure. The command then fails before it changes anything.
CommandState ParseCommandLine(std::string_view commandLine);

// The port of a "-pxy host:port" argument: the number rounded to a whole number (halves to even),
// 0 when there is none or the text is no number; a number beyond the 32-bit range overflows
// (error 6).
int32_t ProxyPort(std::string_view text);

}  // namespace vexav6::CommandLine
