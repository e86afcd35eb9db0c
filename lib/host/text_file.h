// Reading text files line by line. Lines may end in "\n" or "\r\n", so a
// file written on Windows reads the same as one written here; written text
// ends its lines in "\n".
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace vorl::host {

class TextReader {
public:
    // Nothing open when the file cannot be read.
    static std::unique_ptr<TextReader> Open(std::string_view path);
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
    bool Failed() const { return std::ferror(stream_) != 0; }

private:
    explicit TextReader(std::FILE *stream) : stream_(stream) {}
    std::FILE *stream_;
};

}  // namespace vorl::host
