// Lines typed into standard input, read without blocking from a descriptor the main loop polls.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cli {

class LineReader {
public:
    // Lines longer than maxLine bytes are cut; the rest of such a line is dropped.
    explicit LineReader(std::size_t maxLine) : maxLine_(maxLine) {}

    // Feeds bytes; returns the lines completed by them, without their line ends ("\n" or "\r\n").
    std::vector<std::string> Feed(const char* data, std::size_t size);
    // At the end of the input: the unfinished last line, if any.
    std::vector<std::string> Finish();

private:
    const std::size_t maxLine_;
    std::string partial_;
};

}  // namespace cli
