#pragma once

#include <istream>
#include <string>

// The bytes of one answer: the stream's own buffer, read one byte at a time, in front of
// a push-back list. Reading goes straight to the stream buffer, without the sentry of
// istream::get, because the parser takes every byte of answers that are megabytes long.
// It keeps no position; the lexer counts lines and columns.
class CharSource {
public:
    explicit CharSource(std::istream& stream)
        : stream(stream)
        , buffer(stream.rdbuf())
    {
    }

    // True when nothing is pushed back and the stream has ended, failed, or has no next
    // byte. Pushed-back bytes count as input, so a byte that ended a name or a number at
    // the very end of the text is still read.
    bool atEnd()
    {
        if (!pushedBack.empty())
            return false;
        if (!stream.good())
            return true;
        if (buffer->sgetc() == std::char_traits<char>::eof()) {
            stream.setstate(std::ios::eofbit);
            return true;
        }
        return false;
    }

    // The front of the push-back list, or else the next byte of the stream.
    char read()
    {
        if (!pushedBack.empty()) {
            char byte = pushedBack.back();
            pushedBack.pop_back();
            return byte;
        }
        if (!stream.good())
            fail("Error reading from stream 1");
        int byte = buffer->sbumpc();
        if (byte == std::char_traits<char>::eof()) {
            stream.setstate(std::ios::eofbit | std::ios::failbit);
            fail("Error reading from stream 2");
        }
        return static_cast<char>(byte);
    }

    // The byte pushed back last is the first read again.
    void pushBack(char byte) { pushedBack.push_back(byte); }

private:
    // Kept out of line so that the byte loop stays small.
    [[noreturn]] static void fail(const char* message);

    std::istream& stream;
    std::streambuf* buffer;
    // The front of the list is the back of the string.
    std::string pushedBack;
};
