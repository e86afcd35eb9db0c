#include "entry_lists.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string_view>

#include "command_line_join.h"
#include "command_line_options.h"
#include "list_file_size.h"
#include "recode_text.h"
#include "temporary_base.h"
#include "terminal_text.h"
#include "wildcard_match.h"

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
    bool regular = false;  // a regular file, which the library may read again
};

// Read once and never again: a pipe gives its bytes only once, so what the
// library reads of a list that is no regular file is a copy of these.
ListContent ReadListFile(const std::string &path)
{
    ListContent content;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return content;
    }
    struct stat status {};
    content.regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    std::string text;
    char buffer[65536];
    bool failed = false;
    while (text.size() <= kLargestListFile) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (failed) {
        return content;
    }
    content.tooLarge = text.size() > kLargestListFile;
    content.text = std::move(text);
    return content;
}

// UTF-16 by its byte order mark, or by the NUL bytes that ASCII text takes
// in every other position. No list in CP932 or UTF-8 holds either.
std::optional<std::string> Utf16Sign(const std::string &text)
{
    if (text.rfind("\xFF\xFE", 0) == 0) {
        return "byte order mark FF FE";
    }
    if (text.rfind("\xFE\xFF", 0) == 0) {
        return "byte order mark FE FF";
    }
    if (text.size() < 2) {
        return std::nullopt;
    }
    for (size_t first : {size_t{0}, size_t{1}}) {
        bool allNul = true;
        for (size_t i = first; i < text.size() && allNul; i += 2) {
            allNul = text[i] == '\0';
        }
        if (allNul) {
            return "NUL bytes in every other position";
        }
    }
    return std::nullopt;
}

// The lines of a list as the library reads them: up to each LF, the last
// one without.
std::vector<std::string_view> ListLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The first line of a UTF-8 list that has no CP932 form, counted from 1.
size_t FirstUnencodableLine(const std::string &text)
{
    std::vector<std::string_view> lines = ListLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!vorl::common::Utf8ToCp932(lines[i])) {
            return i + 1;
        }
    }
    return lines.size();
}

size_t Utf8CharacterLength(std::string_view text, size_t at)
{
    auto lead = static_cast<unsigned char>(text[at]);
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return std::min(length, text.size() - at);
}

// Whether the file a list line names is there as the library would find
// it: that very name, or else the first regular file a pattern matches in
// its folder. Listings are kept, as one folder usually serves every line.
class FileFinder {
public:
    bool Finds(std::string_view utf8Line)
    {
        std::string name(utf8Line.substr(0, utf8Line.find(',')));
        std::replace(name.begin(), name.end(), '\\', '/');  // a separator to the library
        struct stat status {};
        if (::stat(name.c_str(), &status) == 0) {
            return S_ISREG(status.st_mode);
        }
        size_t slash = name.rfind('/');
        std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
        std::string pattern = slash == std::string::npos ? name : name.substr(slash + 1);
        if (pattern.find_first_of("*?") == std::string::npos) {
            return false;
        }
        static constexpr vorl::common::WildcardCharacters kUtf8{&Utf8CharacterLength, false};
        for (const std::string &file : Listing(folder)) {
            if (vorl::common::MatchWildcard(pattern, file, kUtf8)) {
                return true;
            }
        }
        return false;
    }

private:
    // The regular files of a folder.
    const std::vector<std::string> &Listing(const std::string &folder)
    {
        auto known = listings_.find(folder);
        if (known != listings_.end()) {
            return known->second;
        }
        std::vector<std::string> &files = listings_[folder];
        if (DIR *dir = ::opendir(folder.c_str())) {
            while (const dirent *entry = ::readdir(dir)) {
                struct stat status {};
                if (::stat((folder + "/" + entry->d_name).c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
                    files.emplace_back(entry->d_name);
                }
            }
            ::closedir(dir);
        }
        return files;
    }
    std::map<std::string, std::vector<std::string>> listings_;
};

enum class Reading { Cp932, Utf8 };

// The reading of a list whose bytes are valid both in CP932 and in UTF-8
// (half-width katakana pairs such as C2 A7, "§" in UTF-8): the one that
// names files that are there. When both or neither do, the line ends tell
// who wrote it: VorlList ends every line in CR LF, an editor here in LF.
// `note` says which reading was taken, then.
Reading ChooseReading(const std::string &userList, const std::string &text, std::string &note)
{
    FileFinder finder;
    size_t named = 0, foundAsCp932 = 0, foundAsUtf8 = 0;
    bool crLf = true;
    std::vector<std::string_view> lines = ListLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        bool ended = i + 1 < lines.size() || text.back() == '\n';
        crLf = crLf && (!ended || (!line.empty() && line.back() == '\r'));
        while (!line.empty() && static_cast<unsigned char>(line.back()) < ' ') {
            line.remove_suffix(1);
        }
        // ASCII lines read the same either way.
        if (vorl::common::IsPlainAscii(line)) {
            continue;
        }
        ++named;
        foundAsUtf8 += finder.Finds(line) ? 1 : 0;
        foundAsCp932 += finder.Finds(vorl::common::Cp932ToUtf8(line).value_or(std::string())) ? 1 : 0;
    }
    if (foundAsCp932 != foundAsUtf8 && (foundAsCp932 == named || foundAsUtf8 == named)) {
        return foundAsCp932 == named ? Reading::Cp932 : Reading::Utf8;
    }
    Reading reading = foundAsCp932 != foundAsUtf8 ? (foundAsCp932 > foundAsUtf8 ? Reading::Cp932 : Reading::Utf8)
                      : crLf                      ? Reading::Cp932
                                                  : Reading::Utf8;
    bool both = foundAsCp932 == named && foundAsUtf8 == named;
    note = userList + ": read as " + (reading == Reading::Cp932 ? "Shift-JIS (CP932)" : "UTF-8") +
           ": its bytes are valid in both Shift-JIS and UTF-8, the files of " +
           (both ? "both readings are there" : "neither reading are all there") + ", and " +
           (foundAsCp932 != foundAsUtf8 ? "this reading finds more of them"
            : crLf                      ? "its lines end in CR LF, as VorlList writes them"
                                        : "its lines end in LF, as an editor here writes them");
    return reading;
}

// Why a line of a user's list cannot be read as the entry it shows, or
// empty. `shown` is the line in UTF-8, for its fields and the message.
std::string CheckListLine(std::string_view line, const std::string &shown)
{
    // A CR is the line end only right before the LF: anywhere else it would
    // end a line to some readers (old CR line ends) and not to others.
    std::string_view body = line;
    if (!body.empty() && body.back() == '\r') {
        body.remove_suffix(1);
    }
    if (body.find('\r') != std::string_view::npos) {
        return "a carriage return (CR) inside the line, where only the line end (LF or CR LF) may have one: " +
               EscapedForMessage(shown);
    }
    return CheckConverterField(shown);
}

// A user's list as the library gets it: a CP932 list as it is, a UTF-8
// list with non-ASCII text as a CP932 copy, and a list that is no regular
// file (a pipe) as a copy either way. A list vorlcnv cannot read is passed
// on unchanged, and the library reports it.
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
    if (!list.text) {
        result.lists.push_back({libraryName, userList, {}});
        return libraryName;
    }
    std::string text = *list.text;
    if (auto sign = Utf16Sign(text)) {
        result.error =
            userList + ": this list is in UTF-16 (" + *sign + "); a list must be in Shift-JIS (CP932) or UTF-8";
        result.listNotText = true;
        return {};
    }
    Reading reading = Reading::Cp932;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
        text.erase(0, 3);  // a byte order mark that some editors write
        reading = Reading::Utf8;
    } else if (!IsAscii(text) && IsValidUtf8(text)) {
        reading = Reading::Utf8;
        if (vorl::common::RecodeText("UTF-8", "CP932", text)) {
            std::string note;
            reading = ChooseReading(userList, text, note);
            if (!note.empty()) {
                result.notes.push_back(note);
            }
        }
    }
    std::vector<std::string_view> lines = ListLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string shown(lines[i]);
        if (reading == Reading::Cp932) {
            shown = vorl::common::Cp932ToUtf8(lines[i]).value_or(shown);
        }
        while (!shown.empty() && static_cast<unsigned char>(shown.back()) < ' ') {
            shown.pop_back();
        }
        if (std::string why = CheckListLine(lines[i], shown); !why.empty()) {
            result.error = userList + ":" + std::to_string(i + 1) + ": " + why;
            return {};
        }
    }
    std::string cp932 = text;
    if (reading == Reading::Utf8) {
        auto converted = vorl::common::Utf8ToCp932(text);
        if (!converted) {
            result.error = userList + ":" + std::to_string(FirstUnencodableLine(text)) +
                           ": this line has no Shift-JIS (CP932) form";
            return {};
        }
        cp932 = *converted;
    } else if (list.regular) {
        result.lists.push_back({libraryName, userList, {}});
        return libraryName;
    }
    auto copy = lists.Write(cp932);
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
        std::string chosen =
            !base_.empty()
                ? base_
                : vorl::common::TemporaryBase([](const char *variable) -> std::optional<std::string> {
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
