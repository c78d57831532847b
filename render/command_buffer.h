// The printer bytes of one page, collected between the start and the end of
// the page and handed to the spooler in one go.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/oem/abi_types.h"

namespace lt77 {

class CommandBuffer {
public:
    // Appends; false (buffer kept) for a null source or when memory runs out.
    bool AddPrintDataTobeSent(const uint8_t* bytes, std::size_t length);
    bool AddPrintDataTobeSent(std::span<const uint8_t> bytes) { return AddPrintDataTobeSent(bytes.data(), bytes.size()); }
    // Frees the buffer; always true.
    bool InitPrintCommandsBuffer();

    std::span<const uint8_t> Bytes() const { return m_pBuffer; }
    DWORD m_dwTotalBufSize() const { return static_cast<DWORD>(m_pBuffer.size()); }
    bool Empty() const { return m_pBuffer.empty(); }

private:
    // Grows geometrically: a page of many small appends must stay linear.
    std::vector<uint8_t> m_pBuffer;
};

}  // namespace lt77
