// What every COM object of the platform shares: its reference count and its answer to queries.
#pragma once

#include <windows.h>

extern const GUID IID_IUnknown;

namespace ddraw {

// Hands out this object for a query that names it; E_NOINTERFACE otherwise.
template <typename Interface>
HRESULT AnswerQuery(Interface* self, REFIID riid, const GUID& own, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    if (riid == own || riid == IID_IUnknown) {
        self->AddRef();
        *object = self;
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// Holds value in slot: a reference taken to it, the one to what the slot held dropped.
template <typename Interface>
void Replace(Interface*& slot, Interface* value) {
    if (value) value->AddRef();
    if (slot) slot->Release();
    slot = value;
}

// AddRef and Release as COM defines them, for an object made with new and one reference. The
// object goes when its last reference does, unless it says otherwise.
template <typename Interface>
class ReferenceCounted : public Interface {
public:
    ULONG AddRef() final { return ++references; }
    ULONG Release() final {
        if (references == 0) return 0;  // a back buffer its flip chain still owns
        const ULONG left = --references;
        if (left == 0) LastReferenceReleased();
        return left;
    }

protected:
    ReferenceCounted() = default;
    virtual ~ReferenceCounted() = default;
    ReferenceCounted(const ReferenceCounted&) = delete;
    ReferenceCounted& operator=(const ReferenceCounted&) = delete;
    virtual void LastReferenceReleased() { delete this; }

private:
    ULONG references = 1;
};

}  // namespace ddraw
