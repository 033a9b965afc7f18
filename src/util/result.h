// The outcome of an operation that can fail in several ways: either its value or an error that
// says what went wrong, in words that can be shown to the user as they stand.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace util {

enum class ErrorKind : std::uint8_t {
    Stopped,           // the user or the program asked to stop
    CannotConnect,     // the host did not accept a connection
    RefusedByHost,     // the host closed without sending anything
    NoSuchFile,        // the host does not list it
    ConnectionLost,    // the host closed or reset the connection in the middle
    TimedOut,          // the host sent nothing for too long
    BadReply,          // the host's reply broke the protocol
    SizeLiedAbout,     // the host announced another size than its listing said
    DiskFull,          // no room left on this computer's disk
    LocalWriteFailed,  // this computer could not create or write the file
    Damaged,           // the bytes that arrived do not match the host's digest of the file
};

struct Error {
    ErrorKind kind = ErrorKind::Stopped;
    // Particulars, e.g. the system's own words or the sizes that disagreed; may be empty.
    std::string detail;
};

// A whole sentence fragment, e.g. "the disk is full (No space left on device)".
std::string Describe(const Error& error);

// An error for a failed local file operation, from its errno.
Error LocalFileError(int errorNumber);

struct Ok {};

template <typename T = Ok>
class [[nodiscard]] Result {
public:
    Result() requires std::is_same_v<T, Ok> : state_(Ok{}) {}
    Result(T value) : state_(std::move(value)) {}      // NOLINT(google-explicit-constructor)
    Result(Error error) : state_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const { return std::get<0>(state_); }
    T& value() { return std::get<0>(state_); }
    const Error& error() const { return std::get<1>(state_); }
    ErrorKind kind() const { return std::get<1>(state_).kind; }

private:
    std::variant<T, Error> state_;
};

using Status = Result<Ok>;

inline Error MakeError(ErrorKind kind, std::string detail = {}) {
    return Error{kind, std::move(detail)};
}

}  // namespace util
