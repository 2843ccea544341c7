// Build tool: turns the IEEE OUI listing into the vendor database "oui.db" that ships beside the
// program, with the program's own parser and file writer, so that a fresh installation names
// vendors without a download. Usage: make_oui_db <oui.txt> <oui.db>
#include <cstdio>

#include "base/error.h"
#include "platform/sim/machine.h"
#include "vendors/nic_vendor.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_oui_db <oui.txt> <oui.db>\n");
        return 2;
    }
    try {
        // The tool works offline; a simulated machine stands in for the platform it never uses.
        vexav6::sim::Machine machine;
        vexav6::NICVendor vendor(machine.GetPlatform());
        vendor.ParseOUI(argv[1]);
        vendor.SaveDB(argv[2]);

        // Read it back: the shipped file must load into the same table.
        vexav6::NICVendor check(machine.GetPlatform());
        check.LoadDB(argv[2]);
        bool same = check.Table().Size() == vendor.Table().Size();
        for (size_t i = 0; same && i < vendor.Table().Size(); ++i) {
            same = check.Table().Record(i) == vendor.Table().Record(i);
        }
        if (!same) {
            std::fprintf(stderr, "make_oui_db: %s does not read back as written\n", argv[2]);
            return 1;
        }
        std::printf("make_oui_db: %zu vendors written to %s\n", vendor.Table().Size(), argv[2]);
        return 0;
    } catch (const vexav6::Error& e) {
        std::fprintf(stderr, "make_oui_db: %s (error %d in %s)\n", e.Description().c_str(),
                     static_cast<int>(e.Number()), e.Source().c_str());
        return 1;
    }
}
