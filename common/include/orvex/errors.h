// The kinds of error that end a command: lower layers throw one of these, and
// the handler at the event boundary shows its text in the standard error box.
#pragma once

#include <stdexcept>
#include <string>

namespace orvex {

// Base of every error the workbench raises on purpose.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be opened, read, created or written, or ends too early.
class InputOutputError : public Error {
public:
    using Error::Error;
};

// Text that is not a number where a number is needed, or a value that cannot be
// represented in the target (a character outside the code page, say).
class ConversionError : public Error {
public:
    using Error::Error;
};

// A value outside the range an operation allows (a name too long, a count that
// a file cannot hold, an index past an array).
class RangeError : public Error {
public:
    using Error::Error;
};

// Floating-point faults that must stop a run instead of leaking inf or NaN.
class ZeroDivideError : public Error {
public:
    using Error::Error;
};
class InvalidOperationError : public Error {
public:
    using Error::Error;
};

// A failed operation of the map server (gridding, documents, rendering).
class MapServerError : public Error {
public:
    using Error::Error;
};

} // namespace orvex
