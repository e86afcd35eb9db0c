#include "text_file.h"

#include <sys/stat.h>

#include "native_path.h"

namespace vorl::host {

std::unique_ptr<TextReader> TextReader::Open(std::string_view path)
{
    auto native = ToNativePath(path);
    if (!native) {
        return nullptr;
    }
    std::FILE *stream = std::fopen(native->c_str(), "rbe");
    if (stream == nullptr) {
        return nullptr;
    }
    struct stat st {};
    if (::fstat(::fileno(stream), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(stream);
        return nullptr;
    }
    return std::unique_ptr<TextReader>(new TextReader(stream));
}

TextReader::~TextReader()
{
    std::fclose(stream_);
}

bool TextReader::ReadLine(std::string &line)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::getc(stream_)) != EOF) {
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

}  // namespace vorl::host
