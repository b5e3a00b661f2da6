#pragma once

#include <cassert>
#include <istream>

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
        if (pushedCount > 0)
            return false;
        if (ended)
            return true;
        if (buffer->sgetc() == std::char_traits<char>::eof()) {
            ended = true;
            stream.setstate(std::ios::eofbit);
            return true;
        }
        return false;
    }

    // The front of the push-back list, or else the next byte of the stream.
    char read()
    {
        if (pushedCount > 0)
            return pushed[--pushedCount];
        if (ended)
            fail("Error reading from stream 1");
        int byte = buffer->sbumpc();
        if (byte == std::char_traits<char>::eof()) {
            ended = true;
            stream.setstate(std::ios::eofbit | std::ios::failbit);
            fail("Error reading from stream 2");
        }
        return static_cast<char>(byte);
    }

    // The byte pushed back last is the first read again. The lexer never has more than
    // two bytes pushed back: the "/" and the byte after it that begins no remark.
    void pushBack(char byte)
    {
        assert(pushedCount < capacity);
        pushed[pushedCount++] = byte;
    }

private:
    // Kept out of line so that the byte loop stays small.
    [[noreturn]] static void fail(const char* message);

    static constexpr int capacity = 2;

    std::istream& stream;
    std::streambuf* buffer;
    // Only this reader touches the stream during a parse, so its state is read once
    // and then followed here instead of through the stream on every byte.
    bool ended = !stream.good();
    // The front of the list is the last pushed byte.
    char pushed[capacity] = {};
    int pushedCount = 0;
};
