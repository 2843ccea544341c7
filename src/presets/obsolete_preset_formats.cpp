#include "presets/obsolete_preset_formats.h"

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "system/path.h"

namespace vexav6::ObsoletePresetFormats {

namespace {

constexpr const char* kSource = "ObsoletePresetFormats.ReadLegacyPresetFile";

namespace flag {
constexpr uint8_t kDHCP = 0x01;
constexpr uint8_t kRandomMAC = 0x04;
constexpr uint8_t kAddresses = 0x08;
constexpr uint8_t kGateways = 0x10;
constexpr uint8_t kMACAndNameServers = 0x20;
constexpr uint8_t kProxy = 0x40;
}  // namespace flag

[[noreturn]] void Damaged() {
    throw Error(errnum::kOwnCheck, kSource, "The legacy preset file is damaged or incomplete.");
}

// One record of either version; version-0 records have no proxy, which reads as empty and 0.
struct LegacyPresetRecord {
    std::string name;
    uint8_t flags = 0;
    std::string customMACAddress;
    std::vector<std::string> addresses;
    std::vector<std::string> masks;
    std::vector<std::string> gateways;
    std::vector<std::string> gatewayMetrics;
    std::vector<std::string> nameServers;
    std::string proxyServer;
    int32_t proxyPort = 0;
};

// Reads the legacy encodings from the file's bytes. Every read checks that its bytes are there,
// and every count is checked against the bytes left before anything is made for it.
class LegacyReader {
  public:
    explicit LegacyReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t Left() const { return bytes_.size() - position_; }

    uint32_t ReadUnsigned(size_t width) {
        Need(width);
        uint32_t value = 0;
        for (size_t i = width; i-- > 0;) {
            value = (value << 8) | bytes_[position_ + i];
        }
        position_ += width;
        return value;
    }
    int32_t ReadLong() { return static_cast<int32_t>(ReadUnsigned(4)); }

    std::string ReadText() {
        const size_t length = ReadUnsigned(2);
        Need(length);
        const auto* start = reinterpret_cast<const char*>(bytes_.data() + position_);
        position_ += length;
        return text::AnsiToUtf8(std::string_view(start, length));
    }

    std::vector<std::string> ReadTextArray() {
        const uint32_t dimensions = ReadUnsigned(2);
        // An array that was never given a size has no dimensions and no elements; the format
        // knows only one-dimensional arrays otherwise.
        if (dimensions == 0) {
            return {};
        }
        if (dimensions != 1) {
            Damaged();
        }
        const int32_t count = ReadLong();
        ReadLong();  // lower bound: the elements are taken in order whatever it is
        // Each element takes at least its two length bytes.
        if (count < 0 || static_cast<uint64_t>(count) * 2 > Left()) {
            Damaged();
        }
        std::vector<std::string> elements;
        elements.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            elements.push_back(ReadText());
        }
        return elements;
    }

    LegacyPresetRecord ReadRecord(int version) {
        LegacyPresetRecord record;
        record.name = ReadText();
        record.flags = static_cast<uint8_t>(ReadUnsigned(1));
        record.customMACAddress = ReadText();
        record.addresses = ReadTextArray();
        record.masks = ReadTextArray();
        record.gateways = ReadTextArray();
        record.gatewayMetrics = ReadTextArray();
        record.nameServers = ReadTextArray();
        if (version == 1) {
            record.proxyServer = ReadText();
            record.proxyPort = ReadLong();
        }
        return record;
    }

  private:
    void Need(size_t count) const {
        if (Left() < count) {
            Damaged();
        }
    }

    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
};

// The fewest bytes a record of the version can take: empty texts and arrays without dimensions.
size_t MinimumRecordSize(int version) {
    constexpr size_t kVersion0 = 2 + 1 + 2 + 5 * 2;
    return version == 1 ? kVersion0 + 2 + 4 : kVersion0;
}

// The version is the header divided by 2^24, rounded to the nearest whole number with halves to
// even: the top byte, unless the record count reaches 2^23.
int64_t HeaderVersion(int32_t header) {
    const int64_t quotient = header >> 24;  // rounds towards minus infinity
    const int64_t remainder = header & 0xFFFFFF;
    constexpr int64_t kHalf = 0x800000;
    if (remainder > kHalf || (remainder == kHalf && (quotient & 1) != 0)) {
        return quotient + 1;
    }
    return quotient;
}

// The number at the start of a metric text, as the old program's number conversion read it:
// leading blanks, a sign and decimal digits; anything else ends it, and no digits give 0.
int32_t MetricValue(const std::string& metric) {
    size_t i = 0;
    while (i < metric.size() && (metric[i] == ' ' || metric[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < metric.size() && (metric[i] == '-' || metric[i] == '+')) {
        negative = metric[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < metric.size() && metric[i] >= '0' && metric[i] <= '9'; ++i) {
        value = value * 10 + (metric[i] - '0');
        if (value > std::numeric_limits<int32_t>::max() + int64_t{1}) {
            throw Error::Overflow(kSource);
        }
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int32_t>::max()) {
        throw Error::Overflow(kSource);
    }
    return static_cast<int32_t>(value);
}

// The element of a parallel array that belongs to element `index` of its partner.
const std::string& Parallel(const std::vector<std::string>& elements, size_t index) {
    if (index >= elements.size()) {
        Damaged();
    }
    return elements[index];
}

std::shared_ptr<Preset> ConvertRecord(const LegacyPresetRecord& record) {
    auto preset = std::make_shared<Preset>();
    preset->SetPresetName(record.name);

    if ((record.flags & flag::kMACAndNameServers) != 0) {
        if ((record.flags & flag::kRandomMAC) != 0) {
            preset->SetMACAddress(MacAction::Random);
        } else if (!record.customMACAddress.empty()) {
            preset->SetMACAddress(MacAction::Custom);
            preset->SetCustomMACAddress(record.customMACAddress);
        } else {
            preset->SetMACAddress(MacAction::Original);
        }
    }

    if ((record.flags & flag::kDHCP) != 0) {
        preset->SetIPv4Selected(true);
        preset->SetIPv4DHCPEnabled(true);
    } else {
        if ((record.flags & flag::kAddresses) != 0) {
            preset->SetIPv4Selected(true);
            IPv4AddressList addresses;
            // "0.0.0.0" first stood for "no address".
            if (!record.addresses.empty() && !record.addresses[0].empty() &&
                record.addresses[0] != "0.0.0.0") {
                for (size_t i = 0; i < record.addresses.size(); ++i) {
                    PresetLists::AddIPv4Address(addresses, record.addresses[i],
                                                Parallel(record.masks, i));
                }
            }
            preset->SetIPv4Addresses(std::move(addresses));
        }
        if ((record.flags & flag::kGateways) != 0) {
            preset->SetIPv4Selected(true);
            IPv4GatewayList gateways;
            if (!record.gateways.empty() && !record.gateways[0].empty()) {
                for (size_t i = 0; i < record.gateways.size(); ++i) {
                    PresetLists::AddIPv4Gateway(gateways, record.gateways[i],
                                                MetricValue(Parallel(record.gatewayMetrics, i)));
                }
            }
            preset->SetIPv4Gateways(std::move(gateways));
        }
        if ((record.flags & flag::kMACAndNameServers) != 0) {
            preset->SetIPv4Selected(true);
            NameServerList servers;
            if (!record.nameServers.empty() && !record.nameServers[0].empty()) {
                for (const std::string& server : record.nameServers) {
                    PresetLists::AddNameServer(servers, server);
                }
            }
            preset->SetIPv4NameServers(std::move(servers));
        }
    }

    if ((record.flags & flag::kProxy) != 0) {
        preset->SetIEProxySelected(true);
        if (!record.proxyServer.empty()) {
            preset->SetIEProxyEnabled(true);
            preset->SetIEProxyServer(record.proxyServer);
            preset->SetIEProxyPort(record.proxyPort);
        }
    }
    return preset;
}

}  // namespace

PresetCollection ReadLegacyPresets(std::span<const uint8_t> bytes) {
    LegacyReader reader(bytes);
    const int32_t header = reader.ReadLong();
    const int64_t version = HeaderVersion(header);
    if (version != 0 && version != 1) {
        throw Error::SubscriptOutOfRange(kSource);
    }
    const int v = static_cast<int>(version);
    const uint32_t count = static_cast<uint32_t>(header) & 0xFFFFFF;
    // A file whose only record was never filled in may end after its header: that record reads
    // as one without a name.
    if (count == 0 && reader.Left() == 0) {
        return {};
    }
    const uint32_t records = count == 0 ? 1 : count;
    if (static_cast<uint64_t>(records) * MinimumRecordSize(v) > reader.Left()) {
        Damaged();
    }

    PresetCollection presets;
    for (uint32_t i = 0; i < records; ++i) {
        const LegacyPresetRecord record = reader.ReadRecord(v);
        if (record.name.empty()) {
            continue;
        }
        std::shared_ptr<Preset> preset = ConvertRecord(record);
        presets.Add(std::move(preset), record.name);
    }
    return presets;
}

PresetCollection ReadLegacyPresetFile(std::string_view path) {
    std::vector<uint8_t> bytes;
    try {
        Path::ReadAllBytes(path, bytes, 0, 0, true);
    } catch (const Error& e) {
        // Reading a whole file fails with "subscript out of range" only when it is empty.
        if (e.Number() == errnum::kSubscriptOutOfRange) {
            Damaged();
        }
        throw;
    }
    return ReadLegacyPresets(bytes);
}

}  // namespace vexav6::ObsoletePresetFormats
