// Reading text files line by line. Lines may end in "\n" or "\r\n", so a
// file written on Windows reads the same as one written here; written text
// ends its lines in "\n".
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace vorl::host {

class TextReader {
public:
    // Nothing open when the file cannot be read, or when it is longer than
    // `byteLimit`. A file that grows past the limit while it is read
    // reads as failed once the reader gets there.
    static std::unique_ptr<TextReader> Open(std::string_view path, int64_t byteLimit = INT64_MAX);
    ~TextReader();
    TextReader(const TextReader &) = delete;
    TextReader &operator=(const TextReader &) = delete;

    // The next line without its line end; false at the end of the file.
    bool ReadLine(std::string &line);
    // The next line with its line end ("\r\n" read as "\n"), at most
    // `limit` characters; the rest of a longer line comes as the next one.
    // False at the end of the file.
    bool ReadLimitedLine(std::string &line, size_t limit);
    // True once a read has failed: the end of what was read is then not
    // the end of the file, and a reader must not take it for one.
    bool Failed() const { return overLimit_ || std::ferror(stream_) != 0; }

private:
    TextReader(std::FILE *stream, int64_t byteLimit) : stream_(stream), byteLimit_(byteLimit) {}
    // The next byte, or EOF at the end and beyond the limit.
    int Next();
    std::FILE *stream_;
    int64_t byteLimit_;
    int64_t consumed_ = 0;
    bool overLimit_ = false;
};

}  // namespace vorl::host
