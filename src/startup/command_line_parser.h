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

// One option as written: the word before the first blank and the rest, trimmed of blanks.
struct Token {
    std::string word;
    std::string argument;
};

// Splits the command line at every "-": token 0 is the text before the first dash (usually
// empty, but "/?" or "help" written without a dash are read from it). An argument therefore
// cannot hold a dash: a connection or file name with one is cut there.
std::vector<Token> Tokenize(std::string_view commandLine);

// What made the reading of tokens stop before the end: every later token is ignored.
enum class Stop {
    None,
    ResetOriginal,   // ro
    Help,            // help, /?, ?
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
    // An option that works on the selected adapter was given (n, or any option that changes
    // something). Without one, a command line that only lists or reports needs no adapter.
    bool actsOnAdapter = false;

    Stop stop = Stop::None;
    std::string presetFileToOpen;  // o, without double quotes
    std::optional<Error> failure;
};

// Reads the tokens in order, each option acting on the state as it is met. Never raises a check
// of its own: a failing check (restart after disable and the other way round, a bad MAC address,
// a bad list item) ends the reading with Stop::Failure, so that the options met before it still
// take effect in their order when the command runs.
CommandState ParseCommandLine(std::string_view commandLine);

// The port of a "-pxy host:port" argument: the number rounded to a whole number (halves to even),
// 0 when there is none or the text is no number; a number beyond the 32-bit range overflows
// (error 6).
int32_t ProxyPort(std::string_view text);

}  // namespace vexav6::CommandLine
