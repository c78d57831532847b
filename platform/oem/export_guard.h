// The one guard of every exported entry point. Whoever calls an export (the
// driver core, the spooler, an application) has no C++ runtime that could
// catch an exception, and unwinding into it ends the process; so every entry
// runs its body through one of these, which turn any exception into the
// entry's documented failure and write one trace line.
#pragma once

#include <exception>
#include <new>
#include <utility>

#include "platform/oem/abi_types.h"
#include "platform/system_error.h"

// Marks a function the binary exports. Windows builds list their exports in
// a module-definition file; elsewhere the symbol must be visible.
#if defined(_WIN32)
#define LT77_EXPORT
#else
#define LT77_EXPORT __attribute__((visibility("default")))
#endif

namespace lt77 {

// printf-style trace function of the binary; null where the binary keeps no trace.
using GuardTraceSink = void (*)(const char* format, ...);

namespace guard_detail {

// Runs inside a catch handler. True when the exception was an allocation failure.
inline bool ReportCurrentException(GuardTraceSink trace, const char* entry) noexcept
{
    const char* what = "unknown exception";
    bool outOfMemory = false;
    try {
        throw;
    } catch (const std::bad_alloc& e) {
        what = e.what();
        outOfMemory = true;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    // The trace may itself be out of memory; the line is then lost, not the entry.
    try {
        if (trace != nullptr) trace("%s : EXCEPTION, %s", entry, what);
    } catch (...) {
    }
    return outOfMemory;
}

}  // namespace guard_detail

// COM methods, library exports with a status code, hooks with a plain result:
// `body`'s result, or `failure` when it throws.
template <class R, class F>
R Guarded(GuardTraceSink trace, const char* entry, R failure, F&& body) noexcept
{
    try {
        return std::forward<F>(body)();
    } catch (...) {
        guard_detail::ReportCurrentException(trace, entry);
        return failure;
    }
}

// Entries with no result.
template <class F>
void GuardedVoid(GuardTraceSink trace, const char* entry, F&& body) noexcept
{
    try {
        std::forward<F>(body)();
    } catch (...) {
        guard_detail::ReportCurrentException(trace, entry);
    }
}

// BOOL entries: FALSE, with ERROR_NOT_ENOUGH_MEMORY as the thread's last error
// when memory ran out, which is where such callers look for the reason.
template <class F>
BOOL GuardedBool(GuardTraceSink trace, const char* entry, F&& body) noexcept
{
    try {
        return std::forward<F>(body)();
    } catch (...) {
        if (guard_detail::ReportCurrentException(trace, entry)) SetLastSystemError(syserr::kNotEnoughMemory);
        return kBoolFalse;
    }
}

}  // namespace lt77
