#include "startup/command_line_parser.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "adapters/adapter_info.h"
#include "base/text.h"
#include "startup/command_line_items.h"
#include "system/common.h"

namespace vexav6::CommandLine {

namespace {

std::string WithoutQuotes(std::string_view text) {
    return text::ReplaceAll(text, "\"", "");
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsHexDigits(std::string_view text) {
    for (const char c : text) {
        if (!text::IsHexDigit(c)) {
            return false;
        }
    }
    return true;
}

// The address of -m and -nm in the dash form the preset keeps: twelve hex digits get their dashes,
// six pairs joined by "-" or ":" are taken as they are. Checked here, before anything is changed.
std::string CustomAddressText(const Token& token) {
    const std::string& argument = token.argument;
    if (argument.empty()) {
        throw Error(errnum::kOwnCheck, "",
                    "Option " + token.written +
                        " needs a MAC address: 12 hex digits, or six pairs joined by - or :.");
    }
    std::string dashed = text::ReplaceAll(argument, ":", "-");
    if (argument.size() == 12 && IsHexDigits(argument)) {
        dashed.clear();
        for (size_t i = 0; i < 12; i += 2) {
            dashed += (i == 0 ? "" : "-") + argument.substr(i, 2);
        }
    }
    const bool pairs =
        dashed.size() == 17 &&
        std::ranges::all_of(dashed, [](char c) { return c == '-' || text::IsHexDigit(c); }) &&
        text::ReplaceAll(dashed, "-", "").size() == 12;
    if (!pairs) {
        throw Error(errnum::kOwnCheck, "", "Invalid MAC address format: " + argument);
    }
    if (const std::optional<std::string> problem = AdapterInfo::NetworkAddressProblem(dashed)) {
        throw Error(errnum::kOwnCheck, "", *problem);
    }
    return dashed;
}

class Reader {
  public:
    explicit Reader(CommandState& state) : state_(state) {}

    // Acts on one token; false when the reading stops here.
    bool Read(const Token& token) {
        const std::string word = text::ToLower(token.word);
        const std::string& argument = token.argument;
        if (word.empty()) {
            // Stray dashes, or nothing before the first option.
            if (!argument.empty()) {
                throw Error(errnum::kOwnCheck, "", "Unknown option '" + token.written + "'.");
            }
            return true;
        }

        if (word == "n") {
            state_.connectionNames.push_back(argument);
            state_.actsOnAdapter = true;
        } else if (word == "m" || word == "nm") {
            std::string address = CustomAddressText(token);
            Preset& preset = WorkingPreset();
            preset.SetMACAddress(MacAction::Custom);
            preset.SetCustomMACAddress(address);
            if (word == "nm") {
                SetTemporaryRestart();
            }
        } else if (word == "r" || word == "nr" || word == "r02" || word == "nr02") {
            NoArgument(token);
            const bool with02 = word.ends_with("02");
            WorkingPreset().SetMACAddress(with02 ? MacAction::Random02 : MacAction::Random);
            state_.vendorDatabaseNeeded = true;
            if (word.starts_with("n")) {
                SetTemporaryRestart();
            }
        } else if (word == "h") {
            NoArgument(token);
            WorkingPreset().SetIPv4Selected(true);
            WorkingPreset().SetIPv4DHCPEnabled(true);
        } else if (word == "h6") {
            NoArgument(token);
            WorkingPreset().SetIPv6Selected(true);
            WorkingPreset().SetIPv6DHCPEnabled(true);
        } else if (word == "rl") {
            state_.releaseIPv4 = AdapterOption(token);
        } else if (word == "rl6") {
            state_.releaseIPv6 = AdapterOption(token);
        } else if (word == "rn") {
            state_.renewIPv4 = AdapterOption(token);
        } else if (word == "rn6") {
            state_.renewIPv6 = AdapterOption(token);
        } else if (word == "i") {
            IPv4AddressList list = CommandLineItems::IPv4Addresses(argument);
            WorkingPreset().SetIPv4Selected(true);
            WorkingPreset().SetIPv4Addresses(std::move(list));
        } else if (word == "i6") {
            IPv6AddressList list = CommandLineItems::IPv6Addresses(argument);
            WorkingPreset().SetIPv6Selected(true);
            WorkingPreset().SetIPv6Addresses(std::move(list));
        } else if (word == "g") {
            IPv4GatewayList list = CommandLineItems::IPv4Gateways(argument);
            WorkingPreset().SetIPv4Selected(true);
            WorkingPreset().SetIPv4Gateways(std::move(list));
        } else if (word == "g6") {
            IPv6GatewayList list = CommandLineItems::IPv6Gateways(argument);
            WorkingPreset().SetIPv6Selected(true);
            WorkingPreset().SetIPv6Gateways(std::move(list));
        } else if (word == "d") {
            NameServerList list = CommandLineItems::IPv4NameServers(argument);
            WorkingPreset().SetIPv4Selected(true);
            WorkingPreset().SetIPv4NameServers(std::move(list));
        } else if (word == "d6") {
            NameServerList list = CommandLineItems::IPv6NameServers(argument);
            WorkingPreset().SetIPv6Selected(true);
            WorkingPreset().SetIPv6NameServers(std::move(list));
        } else if (word == "pxy") {
            ReadProxy(argument);
        } else if (word == "s") {
            NoArgument(token);
            state_.silent = true;
        } else if (word == "re" || word == "en") {
            NoArgument(token);
            if (state_.disable) {
                throw Error(errnum::kOwnCheck, "",
                            "Cannot restart network connection as disable option already "
                            "specified.");
            }
            state_.restart = AdapterOption(token);
        } else if (word == "di") {
            NoArgument(token);
            if (state_.restart) {
                throw Error(errnum::kOwnCheck, "",
                            "Cannot disable network connection as restart option already "
                            "specified.");
            }
            state_.disable = AdapterOption(token);
        } else if (word == "ro") {
            state_.resetOriginal = AdapterOption(token);
            state_.stop = Stop::ResetOriginal;
            return false;
        } else if (word == "f") {
            state_.presetFile = argument;
            state_.actsOnAdapter = true;
        } else if (word == "p") {
            state_.presetName = argument;
            state_.vendorDatabaseNeeded = true;
            state_.actsOnAdapter = true;
        } else if (word == "o") {
            state_.presetFileToOpen = argument;
            state_.stop = Stop::OpenPresetFile;
            return false;
        } else if (word == "help" || word == "/?" || word == "?") {
            state_.stop = Stop::Help;
            return false;
        } else if (word == "version") {
            state_.stop = Stop::Version;
            return false;
        } else if (word == "list") {
            state_.list = true;
            state_.listJson = JsonArgument(token, argument);
        } else if (word == "report") {
            state_.report = true;
            ReadReport(token);
        } else if (word == "vendor") {
            if (argument.empty()) {
                throw Error(errnum::kOwnCheck, "",
                            "Option " + token.written +
                                " needs the text to look for: part of a vendor's name, or a "
                                "prefix such as 00-1A-2B.");
            }
            state_.vendorQuery = argument;
        } else {
            throw Error(errnum::kOwnCheck, "", "Unknown option '" + token.written + "'.");
        }
        return true;
    }

  private:
    Preset& WorkingPreset() {
        if (!state_.workingPreset) {
            state_.workingPreset.emplace();
        }
        state_.actsOnAdapter = true;
        return *state_.workingPreset;
    }

    // An option without an argument: text after it is refused, not passed over, as the user
    // meant something by it.
    static void NoArgument(const Token& token) {
        if (!token.argument.empty()) {
            throw Error(errnum::kOwnCheck, "",
                        "Option " + token.written + " takes no argument, but '" + token.argument +
                            "' follows it.");
        }
    }

    // Notes that the option works on the adapter; answers true for the flag it sets.
    bool AdapterOption(const Token& token) {
        NoArgument(token);
        state_.actsOnAdapter = true;
        return true;
    }

    // -list [json]: true for json; any other argument is refused.
    static bool JsonArgument(const Token& token, std::string_view argument) {
        if (argument.empty()) {
            return false;
        }
        if (text::EqualsIgnoreCase(argument, "json")) {
            return true;
        }
        throw Error(errnum::kOwnCheck, "",
                    "Option " + token.written + " takes no argument other than json, but '" +
                        std::string(argument) + "' follows it.");
    }

    // -report [json] [file]: "json" (unquoted) first asks for JSON; the rest is the file. A file
    // named json is written in quotes or with its folder (.\json).
    void ReadReport(const Token& token) {
        std::string rest = token.rawArgument;
        std::string first = Common::NextToken(rest, " ");
        if (text::EqualsIgnoreCase(first, "json")) {
            state_.reportJson = true;
            state_.reportFile = WithoutQuotes(text::Trim(rest));
        } else {
            state_.reportFile = token.argument;
        }
    }

    // nm, nr, nr02: the new address is taken at the restart and not kept for later starts. The
    // check against disable belongs to re, en and di only.
    void SetTemporaryRestart() {
        state_.restart = true;
        state_.temporaryAddress = true;
    }

    void ReadProxy(const std::string& argument) {
        Preset& preset = WorkingPreset();
        preset.SetIEProxySelected(true);
        if (argument.empty()) {
            preset.SetIEProxyEnabled(false);
            return;
        }
        std::string rest = argument;
        std::string server = Common::NextToken(rest, ":");
        const int32_t port = ProxyPort(rest);
        preset.SetIEProxyEnabled(true);
        preset.SetIEProxyServer(std::move(server));
        preset.SetIEProxyPort(port);
    }

    CommandState& state_;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view commandLine) {
    // Where each option begins: a dash at the start or after a blank, outside double quotes.
    std::vector<size_t> starts;
    bool quoted = false;
    for (size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '-' && !quoted && (i == 0 || IsBlank(commandLine[i - 1]))) {
            starts.push_back(i);
        }
    }

    std::vector<Token> tokens;
    const auto addToken = [&tokens](std::string_view piece, bool option) {
        size_t dashes = 0;
        while (option && dashes < piece.size() && piece[dashes] == '-') {
            ++dashes;
        }
        size_t wordEnd = dashes;
        while (wordEnd < piece.size() && !IsBlank(piece[wordEnd])) {
            ++wordEnd;
        }
        Token token;
        token.written = std::string(piece.substr(0, wordEnd));
        token.word = std::string(piece.substr(dashes, wordEnd - dashes));
        std::string_view rest = piece.substr(wordEnd);
        while (!rest.empty() && IsBlank(rest.front())) {
            rest.remove_prefix(1);
        }
        while (!rest.empty() && IsBlank(rest.back())) {
            rest.remove_suffix(1);
        }
        token.rawArgument = std::string(rest);
        // Double quotes only keep blanks and dashes together; they are no part of the argument.
        token.argument = WithoutQuotes(rest);
        tokens.push_back(std::move(token));
    };
    addToken(commandLine.substr(0, starts.empty() ? commandLine.size() : starts.front()), false);
    for (size_t i = 0; i < starts.size(); ++i) {
        const size_t end = i + 1 < starts.size() ? starts[i + 1] : commandLine.size();
        addToken(commandLine.substr(starts[i], end - starts[i]), true);
    }
    return tokens;
}

CommandState ParseCommandLine(std::string_view commandLine) {
    CommandState state;
    const std::vector<Token> tokens = Tokenize(commandLine);
    // A script that asks for silence gets it wherever it wrote the option: also when the command
    // fails before the reading gets there (a connection that is not found, a bad item), and after
    // an option that ends the reading. A message box would stop an unattended script.
    for (const Token& token : tokens) {
        if (text::EqualsIgnoreCase(token.word, "s")) {
            state.silent = true;
        }
    }
    Reader reader(state);
    for (const Token& token : tokens) {
        try {
            if (!reader.Read(token)) {
                break;
            }
        } catch (const Error& error) {
            state.stop = Stop::Failure;
            state.failure = error;
            break;
        }
    }
    return state;
}

int32_t ProxyPort(std::string_view text) {
    const std::string number = text::Trim(text);
    // A decimal number: an optional sign, digits, and an optional fraction.
    size_t at = 0;
    if (at < number.size() && (number[at] == '+' || number[at] == '-')) {
        ++at;
    }
    size_t digits = 0;
    while (at < number.size() && number[at] >= '0' && number[at] <= '9') {
        ++at;
        ++digits;
    }
    if (at < number.size() && number[at] == '.') {
        ++at;
        while (at < number.size() && number[at] >= '0' && number[at] <= '9') {
            ++at;
            ++digits;
        }
    }
    if (digits == 0 || at != number.size()) {
        return 0;
    }
    double value = 0;
    try {
        value = std::nearbyint(std::stod(number));
    } catch (const std::out_of_range&) {
        throw Error::Overflow();
    }
    if (value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        throw Error::Overflow();
    }
    return static_cast<int32_t>(value);
}

}  // namespace vexav6::CommandLine
