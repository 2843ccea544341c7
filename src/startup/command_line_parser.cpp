#include "startup/command_line_parser.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "base/text.h"
#include "startup/command_line_items.h"
#include "system/common.h"

namespace vexav6::CommandLine {

namespace {

std::string WithoutQuotes(std::string_view text) {
    return text::ReplaceAll(text, "\"", "");
}

bool IsHexDigits(std::string_view text) {
    for (const char c : text) {
        if (!text::IsHexDigit(c)) {
            return false;
        }
    }
    return true;
}

// A dash cannot be written in an argument, so twelve hex digits are the way to give an address;
// the preset keeps addresses in the dash form.
std::string CustomAddressText(std::string_view argument) {
    if (argument.size() != 12 || !IsHexDigits(argument)) {
        return std::string(argument);
    }
    std::string dashed;
    for (size_t i = 0; i < 12; i += 2) {
        if (!dashed.empty()) {
            dashed += '-';
        }
        dashed += argument.substr(i, 2);
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

        if (word == "n") {
            state_.connectionNames.push_back(WithoutQuotes(argument));
            state_.actsOnAdapter = true;
        } else if (word == "m" || word == "nm") {
            Preset& preset = WorkingPreset();
            preset.SetMACAddress(MacAction::Custom);
            preset.SetCustomMACAddress(CustomAddressText(argument));
            if (word == "nm") {
                SetTemporaryRestart();
            }
        } else if (word == "r" || word == "nr" || word == "r02" || word == "nr02") {
            const bool with02 = word.ends_with("02");
            WorkingPreset().SetMACAddress(with02 ? MacAction::Random02 : MacAction::Random);
            state_.vendorDatabaseNeeded = true;
            if (word.starts_with("n")) {
                SetTemporaryRestart();
            }
        } else if (word == "h") {
            WorkingPreset().SetIPv4Selected(true);
            WorkingPreset().SetIPv4DHCPEnabled(true);
        } else if (word == "h6") {
            WorkingPreset().SetIPv6Selected(true);
            WorkingPreset().SetIPv6DHCPEnabled(true);
        } else if (word == "rl") {
            state_.releaseIPv4 = AdapterOption();
        } else if (word == "rl6") {
            state_.releaseIPv6 = AdapterOption();
        } else if (word == "rn") {
            state_.renewIPv4 = AdapterOption();
        } else if (word == "rn6") {
            state_.renewIPv6 = AdapterOption();
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
            state_.silent = true;
        } else if (word == "re" || word == "en") {
            if (state_.disable) {
                throw Error(errnum::kOwnCheck, "",
                            "Cannot restart network connection as disable option already "
                            "specified.");
            }
            state_.restart = AdapterOption();
        } else if (word == "di") {
            if (state_.restart) {
                throw Error(errnum::kOwnCheck, "",
                            "Cannot disable network connection as restart option already "
                            "specified.");
            }
            state_.disable = AdapterOption();
        } else if (word == "ro") {
            state_.resetOriginal = AdapterOption();
            state_.stop = Stop::ResetOriginal;
            return false;
        } else if (word == "f") {
            state_.presetFile = WithoutQuotes(argument);
            state_.actsOnAdapter = true;
        } else if (word == "p") {
            state_.presetName = WithoutQuotes(argument);
            state_.vendorDatabaseNeeded = AdapterOption();
        } else if (word == "o") {
            state_.presetFileToOpen = WithoutQuotes(argument);
            state_.stop = Stop::OpenPresetFile;
            return false;
        } else if (word == "help" || word == "/?" || word == "?") {
            state_.stop = Stop::Help;
            return false;
        } else if (word == "list") {
            state_.list = true;
        } else if (word == "report") {
            state_.report = true;
            state_.reportFile = WithoutQuotes(argument);
        }
        // Any other word is no option of ours and is passed over.
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

    // Notes that the option works on the adapter; answers true for the flag it sets.
    bool AdapterOption() {
        state_.actsOnAdapter = true;
        return true;
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
    std::vector<Token> tokens;
    for (std::string piece : text::Split(commandLine, "-")) {
        Token token;
        token.word = Common::NextToken(piece, " ");
        token.argument = text::Trim(piece);
        tokens.push_back(std::move(token));
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
