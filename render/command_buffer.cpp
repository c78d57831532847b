#include "render/command_buffer.h"

#include <new>

#include "render/trace.h"

namespace lt77 {

bool CommandBuffer::AddPrintDataTobeSent(const uint8_t* bytes, std::size_t length)
{
    if (bytes == nullptr) {
        TraceLog("AddPrintDataTobeSent : pBuffer is NULL.");
        return false;
    }
    try {
        m_pBuffer.insert(m_pBuffer.end(), bytes, bytes + length);
    } catch (const std::bad_alloc&) {
        TraceLog("AddPrintDataTobeSent : LocalAlloc failed (%d)", static_cast<int>(syserr::kNotEnoughMemory));
        return false;
    } catch (const std::length_error&) {
        TraceLog("AddPrintDataTobeSent : LocalAlloc failed (%d)", static_cast<int>(syserr::kNotEnoughMemory));
        return false;
    }
    return true;
}

bool CommandBuffer::InitPrintCommandsBuffer()
{
    m_pBuffer = std::vector<uint8_t>();
    return true;
}

}  // namespace lt77
