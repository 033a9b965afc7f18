#include "util/result.h"

#include <cerrno>

#include "util/error_text.h"

namespace util {
namespace {

const char* Words(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::Stopped:
            return "stopped";
        case ErrorKind::CannotConnect:
            return "the host cannot be reached";
        case ErrorKind::RefusedByHost:
            return "the host refused it (its user said no, or it is no longer shared there)";
        case ErrorKind::NoSuchFile:
            return "the host has no such file";
        case ErrorKind::ConnectionLost:
            return "the connection to the host was lost";
        case ErrorKind::TimedOut:
            return "the host sent nothing for too long";
        case ErrorKind::BadReply:
            return "the host's reply was not understood";
        case ErrorKind::SizeLiedAbout:
            return "the host sent a different size than it listed";
        case ErrorKind::DiskFull:
            return "the disk is full";
        case ErrorKind::LocalWriteFailed:
            return "the file could not be written here";
        case ErrorKind::Damaged:
            return "the file arrived damaged";
    }
    return "it failed";
}

}  // namespace

std::string Describe(const Error& error) {
    std::string text = Words(error.kind);
    if (!error.detail.empty()) text += " (" + error.detail + ")";
    return text;
}

Error LocalFileError(int errorNumber) {
    const ErrorKind kind = errorNumber == ENOSPC || errorNumber == EDQUOT
                               ? ErrorKind::DiskFull
                               : ErrorKind::LocalWriteFailed;
    return Error{kind, ErrorText(errorNumber)};
}

}  // namespace util
