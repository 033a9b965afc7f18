// The diagnostic trace: one-line failure diagnostics written to standard output and to files,
// configured once at start-up from the "debug" switch or the DEBUG environment variable.
//
// The setting is a comma-separated list: an optional level "0" to "3" first (0 silences the
// trace), then outputs: "stdout" echoes to standard output, "msdbg" is accepted and ignored, any
// other item is a file to write. Without outputs the trace goes to standard output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Configures the trace from a command line. May be called again (a front end's tests do); every
// call starts from the defaults and closes the outputs of the call before.
void xUtilTraceInit(std::string_view commandLine);
// The same for main()'s arguments, joined with spaces.
void xUtilTraceInit(int argc, const char* const* argv);

// Closes every output and restores the defaults (level 3, no echo).
void xUtilTraceClose();

int xUtilTraceLevel();
bool xUtilTraceEchoes();
std::size_t xUtilTraceOutputCount();

// Writes one printf-style piece at level 1 to standard output (when echoing) and to every output.
// Returns the character count of the last write, 0 when nothing was written.
int xUtilTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "Error number <code>: <text of the code>" as one piece, followed by a line end.
int xUtilTraceError(int errorCode);
// The same for the calling thread's errno.
int xUtilTraceLastError();

// Writes a whole diagnostic line: ".\<file name>(<line>) : <function>(): <message>". The message
// is printf-style and ends in its own newline. The line is written under one lock, so diagnostics
// of different threads never interleave.
int xUtilTraceDiagnostic(const char* sourceFile, int line, std::string_view function,
                         const char* format, ...) __attribute__((format(printf, 4, 5)));

// The qualified name ("Class::Method", "ns::Function") of a compiler's pretty function signature.
// Inside a lambda it is the function that holds the lambda.
std::string xUtilQualifiedFunctionName(std::string_view prettyFunction);

// A failure diagnostic naming the current function.
#define XUTIL_DIAG(...)                                                                       \
    xUtilTraceDiagnostic(__FILE__, __LINE__, xUtilQualifiedFunctionName(__PRETTY_FUNCTION__), \
                         __VA_ARGS__)

// A failure diagnostic with the function named by the caller, for code whose compiler-given name
// would be unhelpful (thread lambdas, callbacks).
#define XUTIL_DIAG_IN(function, ...) xUtilTraceDiagnostic(__FILE__, __LINE__, function, __VA_ARGS__)
