#include "text_file.h"

#include <unistd.h>

#include "host_file.h"

namespace vorl::host {

std::unique_ptr<TextReader> TextReader::Open(std::string_view path, int64_t byteLimit)
{
    HostFile file = HostFile::OpenForReading(path);
    if (!file.IsOpen() || file.LengthAtOpen() > byteLimit) {
        return nullptr;
    }
    int fd = file.Release();
    std::FILE *stream = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (stream == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        return nullptr;
    }
    return std::unique_ptr<TextReader>(new TextReader(stream, byteLimit));
}

TextReader::~TextReader()
{
    std::fclose(stream_);
}

int TextReader::Next()
{
    if (consumed_ >= byteLimit_) {
        // At the limit is still the end, if the file ends there.
        if (!overLimit_ && std::getc(stream_) != EOF) {
            overLimit_ = true;
        }
        return EOF;
    }
    int c = std::getc(stream_);
    if (c != EOF) {
        ++consumed_;
    }
    return c;
}

bool TextReader::ReadLine(std::string &line)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = Next()) != EOF) {
        any = true;
        if (c == '\n') {
            break;
        }
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r' && c == '\n') {
        line.pop_back();
    }
    return any;
}

bool TextReader::ReadLimitedLine(std::string &line, size_t limit)
{
    line.clear();
    while (line.size() < limit) {
        int c = Next();
        if (c == EOF) {
            break;
        }
        if (c == '\r') {
            int next = Next();
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, stream_);
                --consumed_;
            }
        }
        line.push_back(static_cast<char>(c));
        if (c == '\n') {
            break;
        }
    }
    return !line.empty();
}

}  // namespace vorl::host
