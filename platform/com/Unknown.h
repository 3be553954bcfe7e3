#pragma once
// The base interfaces. An interface is a class of pure virtual methods with
// no virtual destructor, so its table holds exactly its methods in the order
// declared, the three of IUnknown first: a client and a server built apart
// agree on the slots. Each interface names its identifier as kIID.
#include "ComResult.h"
#include "Guid.h"

#include <cstdint>

namespace com {

using ULONG = uint32_t;
using DWORD = uint32_t;
using BOOL = int32_t;

class IUnknown {
public:
    static constexpr IID kIID = MakeGuid("00000000-0000-0000-C000-000000000046");
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
public:
    static constexpr IID kIID = MakeGuid("00000001-0000-0000-C000-000000000046");
    // `outer` is for aggregation, which no class here supports.
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

class IConnectionPointContainer;

class IConnectionPoint : public IUnknown {
public:
    static constexpr IID kIID = MakeGuid("B196B286-BAB4-101A-B69C-00AA00341D07");
    virtual HRESULT GetConnectionInterface(IID* piid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppcpc) = 0;
    // Connects a sink (queried for the outgoing interface); the cookie names the connection.
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

class IConnectionPointContainer : public IUnknown {
public:
    static constexpr IID kIID = MakeGuid("B196B284-BAB4-101A-B69C-00AA00341D07");
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppcp) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

// The identifier of interface T.
template <class T> constexpr const IID& uuidof() {
    return T::kIID;
}

} // namespace com
