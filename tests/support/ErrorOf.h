#pragma once
#include "VbError.h"

#include <cstdint>

namespace test_env {

// The run-time error number a call fails with; 0 when it does not fail.
template <class F> int32_t error_of(F&& f) {
    try {
        f();
    } catch (const vb::VbError& e) {
        return e.number();
    }
    return 0;
}

} // namespace test_env
