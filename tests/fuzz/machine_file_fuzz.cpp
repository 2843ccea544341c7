// Machine files of the simulated machine (docs/machine-file.md).
//
// - A file the reader accepts is written back by the machine's own writer, and that file loads to
//   the same machine: writing it again gives the same text.
// - A refused file raises MachineFileError whose message begins with the file's name and says what
//   is wrong in the program's words; the machine it was loaded into stays as it was.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_file.h"

namespace {

using namespace vexav6;
using namespace vexav6::fuzz;

constexpr const char* kName = "fuzzed.json";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string freshText = [] {
        const sim::Machine fresh;
        return sim::MachineText(fresh);
    }();

    sim::Machine machine;
    try {
        sim::LoadMachineText(AsText(std::span(data, size)), kName, machine);
    } catch (const sim::MachineFileError& error) {
        const std::string message = error.what();
        Check(message.starts_with(std::string(kName) + ": "),
              "a machine file error does not name the file: " + message);
        // The program's words come first; the library's message may follow them, and it may
        // quote the input, which may hold anything.
        const std::string_view words =
            std::string_view(message).substr(std::string(kName).size() + 2);
        Check(!words.starts_with("[json.exception"),
              "a machine file error is the JSON library's own message: " + message);
        Check(sim::MachineText(machine) == freshText, "a refused machine file changed the machine");
        return 0;
    } catch (const std::exception& e) {
        Fail(std::string("loading a machine file raised an exception that is not a machine file "
                         "error: ") +
             e.what());
    }
    CheckMachineRoundTrip(machine, "loading a machine file");
    return 0;
}
