#include "entry_lists.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "command_line_join.h"
#include "command_line_options.h"
#include "list_file_size.h"
#include "recode_text.h"
#include "temporary_base.h"
#include "terminal_text.h"

namespace vorlcnv {
namespace {

using vorl::options::kLongestCommandLine;
using vorl::options::kMostArguments;

bool IsAscii(const std::string &text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool IsValidUtf8(const std::string &text)
{
    return vorl::common::RecodeText("UTF-16LE", "UTF-8", text).has_value();
}

using vorl::common::kLargestListFile;

struct ListContent {
    std::optional<std::string> text;  // nothing when it cannot be read
    bool tooLarge = false;
};

ListContent ReadListFile(const std::string &path)
{
    ListContent content;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return content;
    }
    std::string text;
    char buffer[65536];
    while (in && text.size() <= kLargestListFile) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<size_t>(in.gcount()));
    }
    if (in.bad()) {
        return content;
    }
    content.tooLarge = text.size() > kLargestListFile;
    content.text = std::move(text);
    return content;
}

// The first line of a UTF-8 list that has no CP932 form, counted from 1.
size_t FirstUnencodableLine(const std::string &text)
{
    size_t number = 1;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!vorl::common::Utf8ToCp932(line)) {
            return number;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
        ++number;
    }
    return number;
}

// A user's list as the library gets it: a CP932 list as it is, a UTF-8
// list with non-ASCII text as a CP932 copy. A list vorlcnv cannot read is
// passed on unchanged, and the library reports it.
std::string AddUserList(const std::string &userList, TemporaryLists &lists, LibraryLine &result)
{
    // The name was checked for its CP932 form with the option.
    std::string libraryName = ToLibraryText(userList).value_or(std::string());
    ListContent list = ReadListFile(userList);
    if (list.tooLarge) {
        result.error = userList + ": more than " + std::to_string(kLargestListFile >> 20) +
                       " MiB, far more than a list of 9999 entries takes: not read as a list";
        result.listTooLarge = true;
        return {};
    }
    const std::optional<std::string> &content = list.text;
    if (!content || IsAscii(*content) || !IsValidUtf8(*content)) {
        result.lists.push_back({libraryName, userList, {}});
        return libraryName;
    }
    std::string text = *content;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
        text.erase(0, 3);  // a byte order mark that some editors write
    }
    auto cp932 = vorl::common::Utf8ToCp932(text);
    if (!cp932) {
        result.error =
            userList + ":" + std::to_string(FirstUnencodableLine(text)) + ": this line has no Shift-JIS (CP932) form";
        return {};
    }
    auto copy = lists.Write(*cp932);
    if (!copy) {
        result.error = lists.Problem();
        result.listNotWritten = true;
        return {};
    }
    result.lists.push_back({*copy, userList, {}});
    return *copy;
}

}  // namespace

TemporaryLists::~TemporaryLists()
{
    for (const std::string &file : files_) {
        ::unlink(file.c_str());
    }
    if (!folder_.empty()) {
        ::rmdir(folder_.c_str());
    }
}

std::optional<std::string> TemporaryLists::Write(const std::string &content)
{
    if (folder_.empty()) {
        // Where the library makes its working directory. The list's name
        // travels on the library's line in CP932: a base without that form,
        // or too long to leave room, is passed over.
        std::string chosen = vorl::common::TemporaryBase([](const char *variable) -> std::optional<std::string> {
            const char *base = std::getenv(variable);
            if (base != nullptr && *base != '\0' && ToLibraryText(base) && std::string(base).size() < 200) {
                return std::string(base);
            }
            return std::nullopt;
        });
        std::string pattern = chosen + (chosen.back() == '/' ? "" : "/") + "vorlcnv-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            problem_ = "cannot make a folder for temporary list files in " + chosen + ": " + std::strerror(errno);
            return std::nullopt;
        }
        folder_ = pattern;
    }
    std::string path = folder_ + "/list" + std::to_string(files_.size()) + ".lst";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        problem_ = "cannot write the temporary list file " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    files_.push_back(path);
    size_t written = 0;
    while (written < content.size()) {
        ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n <= 0) {
            problem_ = "cannot write the temporary list file " + path + ": " + std::strerror(n < 0 ? errno : ENOSPC);
            ::close(fd);
            return std::nullopt;
        }
        written += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) {
        problem_ = "cannot write the temporary list file " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    return ToLibraryText(path);
}

namespace {

// One way of building the line: every run of entries goes into a list of
// its own when `everyRun` is set, otherwise only a run holding an entry
// that cannot travel on the line.
LibraryLine BuildWith(const std::vector<LineItem> &items, TemporaryLists &lists, bool everyRun)
{
    LibraryLine result;
    std::vector<std::string> arguments;
    size_t i = 0;
    while (i < items.size() && result.error.empty()) {
        const LineItem &item = items[i];
        if (item.kind != ItemKind::Entry) {
            std::string argument = item.text;
            if (item.kind == ItemKind::ListFile) {
                std::string name = AddUserList(item.text, lists, result);
                argument = "-f" + vorl::common::Cp932ToUtf8(name).value_or(std::string());
            }
            arguments.push_back(argument);
            ++i;
            continue;
        }
        size_t end = i;
        bool inList = everyRun;
        for (; end < items.size() && items[end].kind == ItemKind::Entry; ++end) {
            inList = inList || items[end].needsList;
        }
        if (!inList) {
            for (; i < end; ++i) {
                arguments.push_back(items[i].text);
            }
            continue;
        }
        ListSource source;
        std::string content;
        for (; i < end && result.error.empty(); ++i) {
            auto entry = ToLibraryText(items[i].text);
            if (!entry) {
                result.error = "this argument has no Shift-JIS (CP932) form: " + items[i].text;
            }
            content += entry.value_or(std::string()) + "\r\n";
            source.entries.push_back(items[i].text);
        }
        auto name = lists.Write(content);
        if (!name && result.error.empty()) {
            result.error = lists.Problem();
            result.listNotWritten = true;
        }
        source.libraryName = name.value_or(std::string());
        result.lists.push_back(source);
        arguments.push_back("-f" + vorl::common::Cp932ToUtf8(source.libraryName).value_or(std::string()));
    }
    if (result.error.empty()) {
        JoinResult joined = JoinArguments(arguments);
        result.line = joined.line;
        result.error = joined.error;
        if (result.error.empty() && (result.line.size() > kLongestCommandLine || arguments.size() > kMostArguments)) {
            result.error = "too long";
            result.tooLong = true;
        }
    }
    return result;
}

}  // namespace

LibraryLine BuildLibraryLine(const std::vector<LineItem> &items, TemporaryLists &lists)
{
    LibraryLine result = BuildWith(items, lists, false);
    if (result.tooLong) {
        result = BuildWith(items, lists, true);
        if (result.tooLong) {
            result.error = "the options and lists do not fit the library's command line (" +
                           std::to_string(kLongestCommandLine) + " characters, " + std::to_string(kMostArguments) +
                           " arguments)";
        }
    }
    return result;
}

}  // namespace vorlcnv
