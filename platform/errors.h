#pragma once
// The one error type every failure of the system derives from; the application's default
// handler shows what() in a message box and runs on.
#include <stdexcept>
#include <string>

class EMkbError : public std::runtime_error {
public:
    explicit EMkbError(const std::string& message) : std::runtime_error(message) {}
};

// A text that is not an integer where one is required.
class EConvertError : public EMkbError {
public:
    using EMkbError::EMkbError;
};

// A resource the executable was expected to carry is not linked into it.
class EResNotFound : public EMkbError {
public:
    using EMkbError::EMkbError;
};
