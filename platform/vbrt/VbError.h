#pragma once
// Run-time errors as the rest of the program knows them: a number, a
// description and the source that raised them. One exception type for all.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vb {

// Error numbers the program raises or tests for.
enum ErrNumber : int32_t {
    errReturnWithoutGoSub = 3,
    errInvalidProcedureCall = 5,
    errOverflow = 6,
    errOutOfMemory = 7,
    errSubscriptOutOfRange = 9,
    errDivisionByZero = 11,
    errTypeMismatch = 13,
    errBadFileNameOrNumber = 52,
    errFileNotFound = 53,
    errFileAlreadyOpen = 55,
    errDeviceIO = 57,
    errFileAlreadyExists = 58,
    errBadRecordLength = 59,
    errInputPastEnd = 62,
    errPermissionDenied = 70,
    errPathFileAccess = 75,
    errPathNotFound = 76,
    errObjectNotSet = 91,
    errInvalidPropertyValue = 380,
    errObjectRequired = 424,
    errCantCreateObject = 429,
    errAutomation = 440,
};

// The standard description of a run-time error number ("Overflow" for 6);
// "Application-defined or object-defined error" for numbers it does not know.
std::string ErrorDescription(int32_t number);

class VbError : public std::runtime_error {
public:
    VbError(int32_t number, std::string description, std::string source = {}, int32_t line = 0);
    int32_t number() const { return number_; }
    const std::string& description() const { return description_; }
    const std::string& source() const { return source_; }
    // Source line the error arose at; 0 when the raiser gives none.
    int32_t line() const { return line_; }

private:
    int32_t number_;
    std::string description_;
    std::string source_;
    int32_t line_;
};

// Raises run-time error `number`; an empty description takes the standard one.
[[noreturn]] void Raise(int32_t number, const std::string& description = {}, const std::string& source = {});

// Turns any exception in flight into a VbError: VbErrors pass unchanged,
// bad_alloc becomes 7 "Out of memory", anything else 5 with its own text.
VbError ToVbError(std::exception_ptr e);

} // namespace vb
