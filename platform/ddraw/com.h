// Small helpers shared by the DirectDraw core's COM objects.
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

}  // namespace ddraw
