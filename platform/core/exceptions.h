// The exception classes every layer raises. Callers catch by class (a list index
// error, a conversion error) and show Message; EAbort is the silent one that the
// application's error handler never shows.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

    // Public and writable: a handler may extend the text and re-raise the same object
    // (LoadStringFromFile appends the file name that way, keeping the class).
    std::string Message;
};

// Text that is not a number or a date.
class EConvertError : public Exception { using Exception::Exception; };

// Index, duplicate and sorted-insert errors of string lists.
class EStringListError : public Exception { using Exception::Exception; };

// Index errors of pointer lists ("List index out of bounds (%d)").
class EListError : public Exception {
public:
    using Exception::Exception;
    static EListError IndexError(long long index);
};

// File errors: opening, creating, reading and writing.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};
class EFOpenError : public EInOutError { using EInOutError::EInOutError; };
class EFCreateError : public EInOutError { using EInOutError::EInOutError; };

// Failures of the database engine and of the data rules built on it.
class EDatabaseError : public Exception { using Exception::Exception; };

// Stops an operation without any message being shown.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    using Exception::Exception;
};

// Raises the silent EAbort.
[[noreturn]] void Abort();
