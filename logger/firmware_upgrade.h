#pragma once

#include <string>

#include "app/host.h"
#include "link/port_connection.h"
#include "logger/boot_loader_protocol.h"

namespace stravener {

// How the pages go to the boot loader.
struct UpgradeOptions {
  // Every boot loader byte written and drained by itself from the start (`stravener upgrade
  // --byte-by-byte`), for a boot loader that cannot take a page's bytes back to back.
  bool byteByByte = false;
};

// Loads a firmware image (.upg: program memory from address 0, low byte of each word
// first) into the logger. The file is read whole first: one that cannot be opened or read,
// empty or longer than any processor takes, is refused before anything is sent. Then the
// logger is looked for at 4800 bit/s (FindLogger, which brings back one left at a transfer
// speed): when its firmware answers, "$PQRVU,\r\n" hands it over to its boot loader; when
// nothing answers, it may be in its boot loader already, and the upgrade goes on there. The
// port goes to 115200 bit/s and the signature picks the profile (asked up to ten times); an
// image too large for that processor is refused after 'r' has restarted the unchanged
// firmware. Then the program memory is erased and written page by page, a last partial page
// padded with 0xFF, and 'r' restarts the processor; the port is then closed. Each page goes
// out in one write with one drain ('A' with the word address, 'c'/'C' with the bytes of
// every word, 'A' with the address again, 'm'; a drain on a USB adapter costs 1 to 25 ms),
// and its acknowledgements are read after it. When they fail, the log says so and the
// upgrade runs once more from the signature request, the erase included, every byte
// written and drained by itself; so too from the start with options.byteByByte. Lines are
// logged only with the flag set. 0 when the image was written and the restart sent; -1
// otherwise (reported, the connection left open at the speed it had then). A stop request
// (platform/stop_request.h) before the erase restarts the processor into its unchanged firmware;
// after it, the page being written is finished, and the log says that the memory is
// incomplete and the upgrade must be run again.
// The Upgrade command chooses the file before it calls this; a dropped image is loaded
// without a question.
int UpgradeFirmware(PortConnection& connection, Host& host, const std::string& path, ReportFlag report,
                    const UpgradeOptions& options = {});

}  // namespace stravener
