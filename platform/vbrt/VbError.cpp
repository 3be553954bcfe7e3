#include "VbError.h"

#include <new>

namespace vb {

std::string ErrorDescription(int32_t number) {
    switch (number) {
    case 3:
        return "Return without GoSub";
    case 5:
        return "Invalid procedure call or argument";
    case 6:
        return "Overflow";
    case 7:
        return "Out of memory";
    case 9:
        return "Subscript out of range";
    case 11:
        return "Division by zero";
    case 13:
        return "Type mismatch";
    case 52:
        return "Bad file name or number";
    case 53:
        return "File not found";
    case 55:
        return "File already open";
    case 57:
        return "Device I/O error";
    case 58:
        return "File already exists";
    case 62:
        return "Input past end of file";
    case 70:
        return "Permission denied";
    case 75:
        return "Path/File access error";
    case 76:
        return "Path not found";
    case 91:
        return "Object variable or With block variable not set";
    case 380:
        return "Invalid property value";
    case 424:
        return "Object required";
    case 429:
        return "ActiveX component can't create object";
    case 440:
        return "Automation error";
    default:
        return "Application-defined or object-defined error";
    }
}

VbError::VbError(int32_t number, std::string description, std::string source, int32_t line)
    : std::runtime_error(description.empty() ? ErrorDescription(number) : description), number_(number),
      description_(description.empty() ? ErrorDescription(number) : std::move(description)),
      source_(std::move(source)), line_(line) {}

void Raise(int32_t number, const std::string& description, const std::string& source) {
    throw VbError(number, description, source);
}

VbError ToVbError(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const VbError& err) {
        return err;
    } catch (const std::bad_alloc&) {
        return VbError(errOutOfMemory, {});
    } catch (const std::exception& ex) {
        return VbError(errInvalidProcedureCall, ex.what());
    } catch (...) {
        return VbError(errInvalidProcedureCall, "Unknown error");
    }
}

} // namespace vb
