#pragma once
// The interfaces of the small in-process server the COM tests create.
#include "ComResult.h"
#include "Unknown.h"

namespace testsrv {

inline constexpr com::CLSID CLSID_Adder = com::MakeGuid("{5C6B1E0A-7D3F-4E8B-9A41-2F0D6C3B8E71}");
inline constexpr const char* kProgId = "TidewickTest.Adder.1";
inline constexpr const char* kVersionIndependentProgId = "TidewickTest.Adder";

class IAdderEvents : public com::IUnknown {
public:
    static constexpr com::IID kIID = com::MakeGuid("{0F3A9D62-1B7C-4C55-8E0A-6D2B9F41C7A3}");
    virtual com::HRESULT OnSum(int32_t sum) = 0;

protected:
    ~IAdderEvents() = default;
};

class IAdder : public com::IUnknown {
public:
    static constexpr com::IID kIID = com::MakeGuid("{9B2E7C14-3A6D-4F08-B5C1-8E4D0A7F2B69}");
    // Adds and tells every advised sink the sum.
    virtual com::HRESULT Add(int32_t a, int32_t b, int32_t* sum) = 0;
    // Live objects of the server library, as its DllCanUnloadNow counts them.
    virtual com::HRESULT LiveCount(int32_t* count) = 0;

protected:
    ~IAdder() = default;
};

} // namespace testsrv
