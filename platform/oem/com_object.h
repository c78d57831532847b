// The COM plumbing every plug-in shares: reference counts, the class factory
// and the module's counters behind DllCanUnloadNow. A plug-in adds only its
// own interface methods.
#pragma once

#include <atomic>
#include <new>

#include "platform/oem/com.h"
#include "platform/oem/export_guard.h"

namespace lt77 {

// Counters of one loaded library. Live objects count as well as server
// locks: unloading under an object the caller still holds would crash it.
struct ModuleCounters {
    std::atomic<long> locks{0};
    std::atomic<long> objects{0};
    bool CanUnload() const { return locks.load() == 0 && objects.load() == 0; }
};

// Keeps the module's object count while alive.
class CountedObject {
public:
    explicit CountedObject(ModuleCounters& counters) : counters_(counters) { ++counters_.objects; }
    ~CountedObject() { --counters_.objects; }
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;

private:
    ModuleCounters& counters_;
};

// `Object` implements one interface derived from IUnknown, starts with a
// reference count of 1 and takes ModuleCounters& in its constructor, which may
// throw. `Trace` is the library's trace function, if it keeps one.
template <class Object, GuardTraceSink Trace = nullptr>
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(ModuleCounters& counters) : counted_(counters), counters_(counters) {}

    HRESULT QueryInterface(const GUID& riid, void** ppv) override
    {
        if (ppv == nullptr) return hr::kPointer;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return hr::kOk;
        }
        *ppv = nullptr;
        return hr::kNoInterface;
    }
    ULONG AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG Release() override
    {
        const long left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT CreateInstance(IUnknown* outer, const GUID& riid, void** ppv) override
    {
        if (ppv == nullptr) return hr::kPointer;
        *ppv = nullptr;
        if (outer != nullptr) return hr::kNoAggregation;
        // Only memory can run out while an object is made.
        return Guarded(Trace, "CreateInstance", hr::kOutOfMemory, [&] {
            auto* object = new (std::nothrow) Object(counters_);
            if (object == nullptr) return hr::kOutOfMemory;
            const HRESULT result = object->QueryInterface(riid, ppv);
            object->Release();
            return result;
        });
    }
    HRESULT LockServer(BOOL lock) override
    {
        if (lock)
            ++counters_.locks;
        else
            --counters_.locks;
        return hr::kOk;
    }

private:
    CountedObject counted_;
    ModuleCounters& counters_;
    std::atomic<long> refs_{1};
};

// The body of DllGetClassObject for a library that serves one class.
template <class Object, GuardTraceSink Trace = nullptr>
HRESULT GetClassObject(ModuleCounters& counters, const GUID& servedClass, const GUID& rclsid,
                       const GUID& riid, void** ppv)
{
    if (ppv == nullptr) return hr::kPointer;
    *ppv = nullptr;
    if (!(rclsid == servedClass)) return hr::kClassNotAvailable;
    auto* factory = new (std::nothrow) ClassFactory<Object, Trace>(counters);
    if (factory == nullptr) return hr::kOutOfMemory;
    const HRESULT result = factory->QueryInterface(riid, ppv);
    factory->Release();
    return result;
}

}  // namespace lt77
