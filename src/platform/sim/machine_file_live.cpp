#include "platform/sim/machine_file_live.h"

namespace vexav6::sim::machinefile {

namespace {

// The entries of the list `key` of `json`, each read by `read(entry, where)`; no list, no entries.
template <class Item, class Read>
void ReadList(const Reader& reader, const Json& json, const std::string& where,
              std::string_view key, std::vector<Item>& items, Read read) {
    const Json* list = reader.Find(json, key);
    if (list == nullptr) {
        return;
    }
    if (!list->is_array()) {
        reader.Fail(Reader::Join(where, key), "must be a list [ ... ]");
    }
    for (size_t i = 0; i < list->size(); ++i) {
        const std::string at = Reader::Join(where, key) + "[" + std::to_string(i) + "]";
        items.push_back(read((*list)[i], at));
    }
}

SimIpStack::Ipv4Address Ipv4FromJson(const Reader& reader, const Json& json,
                                     const std::string& at) {
    reader.ExpectObject(json, at);
    reader.OnlyKeys(json, {"address", "mask", "context", "dhcp"}, at);
    return SimIpStack::Ipv4Address{
        reader.Ipv4Value(json, "address", at), reader.Ipv4Value(json, "mask", at),
        static_cast<uint32_t>(reader.Number(json, "context", at, 1, UINT32_MAX)),
        reader.Flag(json, "dhcp", at, false)};
}

SimIpStack::Ipv4Route Ipv4RouteFromJson(const Reader& reader, const Json& json,
                                        const std::string& at) {
    reader.ExpectObject(json, at);
    reader.OnlyKeys(json, {"destination", "mask", "nextHop", "metric", "protocol", "dhcp"}, at);
    return SimIpStack::Ipv4Route{
        reader.Ipv4Value(json, "destination", at),
        reader.Ipv4Value(json, "mask", at),
        reader.Ipv4Value(json, "nextHop", at),
        static_cast<uint32_t>(reader.Number(json, "metric", at, 0, UINT32_MAX, 0)),
        static_cast<uint32_t>(reader.Number(json, "protocol", at, 0, UINT32_MAX, 3)),
        reader.Flag(json, "dhcp", at, false)};
}

platform::UnicastRow Ipv6FromJson(const Reader& reader, const Json& json, const std::string& at,
                                  uint64_t luid, uint32_t v6Index) {
    reader.ExpectObject(json, at);
    reader.OnlyKeys(json,
                    {"address", "prefixLength", "prefixOrigin", "suffixOrigin", "validLifetime",
                     "preferredLifetime", "skipAsSource", "dadState", "created"},
                    at);
    platform::UnicastRow row;
    row.address.family = platform::af::kInet6;
    row.address.ipv6 =
        reader.Ipv6Value(reader.Text(json, "address", at), Reader::Join(at, "address"));
    const bool linkLocal = row.address.ipv6[0] == 0xFE && (row.address.ipv6[1] & 0xC0) == 0x80;
    row.scopeId = linkLocal ? v6Index : 0;
    row.address.scopeId = row.scopeId;
    row.luid = luid;
    row.ifIndex = v6Index;
    row.onLinkPrefixLength = static_cast<uint8_t>(reader.Number(json, "prefixLength", at, 0, 128));
    // Any number the network store held: the interface took it from there as it stands.
    row.prefixOrigin =
        static_cast<uint32_t>(reader.Number(json, "prefixOrigin", at, 0, UINT32_MAX, 1));
    row.suffixOrigin =
        static_cast<uint32_t>(reader.Number(json, "suffixOrigin", at, 0, UINT32_MAX, 1));
    row.validLifetime =
        static_cast<uint32_t>(reader.Number(json, "validLifetime", at, 0, UINT32_MAX, UINT32_MAX));
    row.preferredLifetime = static_cast<uint32_t>(
        reader.Number(json, "preferredLifetime", at, 0, UINT32_MAX, UINT32_MAX));
    row.skipAsSource = reader.Flag(json, "skipAsSource", at, false);
    row.dadState = static_cast<uint32_t>(reader.Number(json, "dadState", at, 0, 4, 4));
    row.creationTimeStamp = reader.Number(json, "created", at, 0, INT64_MAX, 0);
    return row;
}

platform::ForwardRow2 Ipv6RouteFromJson(const Reader& reader, const Json& json,
                                        const std::string& at, uint64_t luid, uint32_t v6Index) {
    reader.ExpectObject(json, at);
    reader.OnlyKeys(json,
                    {"destination", "nextHop", "metric", "protocol", "origin", "sitePrefixLength",
                     "validLifetime", "preferredLifetime", "loopback", "autoconfigureAddress",
                     "publish", "immortal", "age"},
                    at);
    platform::ForwardRow2 route;
    route.luid = luid;
    route.ifIndex = v6Index;
    int length = 0;
    const std::string dest = reader.Text(json, "destination", at);
    if (!nettext::ParseIpv6Prefix(dest, route.destinationPrefix.prefix.ipv6, length)) {
        reader.Fail(Reader::Join(at, "destination"),
                    "\"" + dest + "\" is not an IPv6 prefix such as ::/0");
    }
    route.destinationPrefix.prefix.family = platform::af::kInet6;
    route.destinationPrefix.prefixLength = static_cast<uint8_t>(length);
    route.nextHop.family = platform::af::kInet6;
    route.nextHop.ipv6 =
        reader.Ipv6Value(reader.Text(json, "nextHop", at), Reader::Join(at, "nextHop"));
    route.metric = static_cast<uint32_t>(reader.Number(json, "metric", at, 0, UINT32_MAX, 256));
    route.protocol = static_cast<uint32_t>(reader.Number(json, "protocol", at, 0, UINT32_MAX, 3));
    route.origin = static_cast<uint32_t>(reader.Number(json, "origin", at, 0, UINT32_MAX, 0));
    route.sitePrefixLength =
        static_cast<uint8_t>(reader.Number(json, "sitePrefixLength", at, 0, 255, 0));
    route.validLifetime =
        static_cast<uint32_t>(reader.Number(json, "validLifetime", at, 0, UINT32_MAX, UINT32_MAX));
    route.preferredLifetime = static_cast<uint32_t>(
        reader.Number(json, "preferredLifetime", at, 0, UINT32_MAX, UINT32_MAX));
    route.loopback = reader.Flag(json, "loopback", at, true);
    route.autoconfigureAddress = reader.Flag(json, "autoconfigureAddress", at, true);
    route.publish = reader.Flag(json, "publish", at, false);
    route.immortal = reader.Flag(json, "immortal", at, false);
    route.age = static_cast<uint32_t>(reader.Number(json, "age", at, 0, UINT32_MAX, 0));
    return route;
}

}  // namespace

Json LiveToJson(const SimIpStack& stack, const SimIpStack::Interface& iface) {
    Json json = Json::object();
    json["running"] = iface.running;
    json["macAddress"] = nettext::FormatMac(iface.mac);
    json["adminStatus"] = iface.adminStatus;
    json["operStatus"] = iface.spec.operStatus;
    json["inOctets"] = stack.InOctets(iface);
    json["outOctets"] = stack.OutOctets(iface);
    if (!iface.running) {
        return json;
    }
    json["ipv4Bound"] = iface.ipv4Bound;
    json["ipv6Bound"] = iface.ipv6Bound;
    json["interfaceMetric"] = iface.interfaceMetric;
    json["dhcpEnabled"] = iface.dhcpEnabled;
    json["dhcpv6Enabled"] = iface.dhcpv6Enabled;
    if (iface.lease) {
        json["lease"] = Json{{"server", iface.lease->server},
                             {"obtained", iface.lease->obtained},
                             {"expires", iface.lease->expires},
                             {"released", iface.lease->released}};
    }
    Json ipv4 = Json::array();
    for (const auto& a : iface.ipv4) {
        ipv4.push_back(Json{{"address", nettext::FormatIpv4(a.address)},
                            {"mask", nettext::FormatIpv4(a.mask)},
                            {"context", a.context},
                            {"dhcp", a.fromDhcp}});
    }
    json["ipv4"] = ipv4;
    Json routes4 = Json::array();
    for (const auto& r : iface.ipv4Routes) {
        routes4.push_back(Json{{"destination", nettext::FormatIpv4(r.dest)},
                               {"mask", nettext::FormatIpv4(r.mask)},
                               {"nextHop", nettext::FormatIpv4(r.nextHop)},
                               {"metric", r.metric},
                               {"protocol", r.proto},
                               {"dhcp", r.fromDhcp}});
    }
    json["ipv4Routes"] = routes4;
    Json ipv6 = Json::array();
    for (const auto& row : iface.ipv6) {
        ipv6.push_back(Json{{"address", nettext::FormatIpv6(row.address.ipv6)},
                            {"prefixLength", row.onLinkPrefixLength},
                            {"prefixOrigin", row.prefixOrigin},
                            {"suffixOrigin", row.suffixOrigin},
                            {"validLifetime", row.validLifetime},
                            {"preferredLifetime", row.preferredLifetime},
                            {"skipAsSource", row.skipAsSource},
                            {"dadState", row.dadState},
                            {"created", row.creationTimeStamp}});
    }
    json["ipv6"] = ipv6;
    Json routes6 = Json::array();
    for (const auto& r : iface.ipv6Routes) {
        routes6.push_back(
            Json{{"destination", nettext::FormatIpv6(r.destinationPrefix.prefix.ipv6) + "/" +
                                     std::to_string(r.destinationPrefix.prefixLength)},
                 {"nextHop", nettext::FormatIpv6(r.nextHop.ipv6)},
                 {"metric", r.metric},
                 {"protocol", r.protocol},
                 {"origin", r.origin},
                 {"sitePrefixLength", r.sitePrefixLength},
                 {"validLifetime", r.validLifetime},
                 {"preferredLifetime", r.preferredLifetime},
                 {"loopback", r.loopback},
                 {"autoconfigureAddress", r.autoconfigureAddress},
                 {"publish", r.publish},
                 {"immortal", r.immortal},
                 {"age", r.age}});
    }
    json["ipv6Routes"] = routes6;
    return json;
}

SimIpStack::Interface LiveFromJson(const Reader& reader, const Json& json, const std::string& where,
                                   const SimIpStack::InterfaceSpec& spec) {
    reader.OnlyKeys(json,
                    {"running", "macAddress", "adminStatus", "operStatus", "inOctets", "outOctets",
                     "ipv4Bound", "ipv6Bound", "interfaceMetric", "dhcpEnabled", "dhcpv6Enabled",
                     "lease", "ipv4", "ipv4Routes", "ipv6", "ipv6Routes"},
                    where);
    SimIpStack::Interface iface;
    iface.spec = spec;
    iface.running = reader.Flag(json, "running", where, true);
    iface.mac = reader.Mac(json, "macAddress", where);
    iface.adminStatus = static_cast<uint32_t>(
        reader.Number(json, "adminStatus", where, 1, 3, iface.running ? 1 : 2));
    iface.spec.operStatus =
        static_cast<uint32_t>(reader.Number(json, "operStatus", where, 0, 5, spec.operStatus));
    iface.inOctets =
        static_cast<uint32_t>(reader.Number(json, "inOctets", where, 0, UINT32_MAX, 0));
    iface.outOctets =
        static_cast<uint32_t>(reader.Number(json, "outOctets", where, 0, UINT32_MAX, 0));
    iface.ipv4Bound = reader.Flag(json, "ipv4Bound", where, false);
    iface.ipv6Bound = reader.Flag(json, "ipv6Bound", where, false);
    iface.interfaceMetric = static_cast<uint32_t>(reader.Number(
        json, "interfaceMetric", where, 0, UINT32_MAX, SimIpStack::AutomaticMetric(spec.speed)));
    iface.dhcpEnabled = reader.Flag(json, "dhcpEnabled", where, false);
    iface.dhcpv6Enabled = reader.Flag(json, "dhcpv6Enabled", where, false);
    if (const Json* lease = reader.Find(json, "lease")) {
        const std::string at = Reader::Join(where, "lease");
        reader.ExpectObject(*lease, at);
        reader.OnlyKeys(*lease, {"server", "obtained", "expires", "released"}, at);
        SimIpStack::Lease value;
        value.server = reader.Text(*lease, "server", at, "");
        value.obtained = reader.Number(*lease, "obtained", at, 0, UINT32_MAX);
        value.expires = reader.Number(*lease, "expires", at, 0, UINT32_MAX);
        value.released = reader.Flag(*lease, "released", at, false);
        iface.lease = value;
    }
    ReadList(
        reader, json, where, "ipv4", iface.ipv4,
        [&](const Json& entry, const std::string& at) { return Ipv4FromJson(reader, entry, at); });
    ReadList(reader, json, where, "ipv4Routes", iface.ipv4Routes,
             [&](const Json& entry, const std::string& at) {
                 return Ipv4RouteFromJson(reader, entry, at);
             });
    const uint32_t v6Index = iface.Ipv6Index();
    ReadList(reader, json, where, "ipv6", iface.ipv6,
             [&](const Json& entry, const std::string& at) {
                 return Ipv6FromJson(reader, entry, at, spec.luid, v6Index);
             });
    ReadList(reader, json, where, "ipv6Routes", iface.ipv6Routes,
             [&](const Json& entry, const std::string& at) {
                 return Ipv6RouteFromJson(reader, entry, at, spec.luid, v6Index);
             });
    return iface;
}

}  // namespace vexav6::sim::machinefile
