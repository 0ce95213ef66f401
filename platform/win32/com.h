#pragma once
// For platform/win32/ only: what every COM object made here does alike.
#include "platform/win32/win32.h"

namespace win32 {

// An object of one interface made with new: counted from 1, deleted by its last Release, and
// the answer its QueryInterface gives.
template <class Interface> class TComObject : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++Count; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --Count;
        if (n == 0)
            delete this;
        return n;
    }

protected:
    TComObject() = default;
    virtual ~TComObject() = default;
    // This object, counted, where it has the interface asked for; none where not.
    HRESULT AnswerQuery(bool has, void** object) {
        if (object == nullptr)
            return E_POINTER;
        if (!has) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }

private:
    ULONG Count{1};
};

} // namespace win32
