#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "presets/preset.h"

// The "Configuration Preset File" format (".cpf") of earlier versions, read only.
//
// The file is a 32-bit header (top byte the format version, 0 or 1; low 24 bits the record count,
// a count of 0 meaning one record) followed by the records back to back. Texts are ANSI bytes
// behind a 16-bit length; lists are text arrays: a 16-bit number of dimensions (1), a 32-bit
// element count and a 32-bit lower bound, then the elements. A record holds the name, a flag byte,
// the custom MAC address, the arrays of addresses, masks, gateways, gateway metrics and DNS
// servers, and, in version 1, the proxy server and a 32-bit proxy port.
namespace vexav6::ObsoletePresetFormats {

// The presets of a legacy file in file order (records without a name are skipped); possibly
// empty, never nothing. An unknown format version fails with error 9; a file cut short or
// damaged fails with error 1 and a description that says so, before anything is allocated for
// counts the file cannot hold. Any failure returns nothing of the file.
PresetCollection ReadLegacyPresetFile(std::string_view path);
// The same for the file's bytes.
PresetCollection ReadLegacyPresets(std::span<const uint8_t> bytes);

}  // namespace vexav6::ObsoletePresetFormats
