// Sending a kept job to the printer again, unchanged but for its preview
// blocks: a raw document on the named queue whose first bytes are the
// 15-byte mark "KELWYNT Preview", then the job.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/oem/abi_types.h"

namespace lt77 {
class Spooler;
class PrintDocuments;
}  // namespace lt77

namespace lt77::viewer {

inline constexpr std::string_view kReprintMark = "KELWYNT Preview";
static_assert(kReprintMark.size() == 15);

struct ReprintResult {
    enum class Stage { Done, OpenPrinter, StartDoc, Write };
    Stage stage = Stage::Done;
    DWORD error = 0;  // the system error of the failing stage
};

// Opens the queue, writes one document of one page (data type "RAW") and
// closes it. A spooler that takes fewer bytes than offered is offered the
// rest; one that takes none ends the document as it stands.
ReprintResult ReprintRaw(Spooler& spooler, PrintDocuments& documents, std::u16string_view printer,
                         std::u16string_view documentName, std::span<const uint8_t> job);

}  // namespace lt77::viewer
