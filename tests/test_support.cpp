#include "test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include "recode_text.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vorl::test {

std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int value : values) {
        out.push_back(static_cast<char>(value));
    }
    return out;
}

std::string Hex(const std::string &bytes)
{
    static const char *digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) {
            out.push_back(' ');
        }
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

std::string MessageOf(int code)
{
    char buffer[256] = {};
    if (VorlGetErrorStrings(code, buffer, sizeof buffer) != 0) {
        return "(no message)";
    }
    // Shown in UTF-8, the terminal's encoding.
    std::string text = common::Cp932ToUtf8(buffer).value_or(buffer);
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

::testing::AssertionResult CodeIs(const char *expectedText, const char *actualText, int expected, int actual)
{
    if (expected == actual) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << actualText << " returned " << actual << " (" << MessageOf(actual)
                                         << "), expected " << expectedText << " = " << expected;
}

ProgramResult RunProgram(const std::string &program, const std::vector<std::string> &arguments,
                         const fs::path &workingFolder,
                         const std::vector<std::pair<std::string, std::string>> &environment)
{
    TempFolder capture;
    fs::path outPath = capture / "stdout", errPath = capture / "stderr";
    pid_t child = fork();
    if (child == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(err, 2);
        if (chdir(workingFolder.c_str()) != 0) {
            _exit(120);
        }
        for (const auto &[name, value] : environment) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(program.c_str()));
        for (const auto &argument : arguments) {
            argv.push_back(const_cast<char *>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(121);
    }
    int status = 0;
    waitpid(child, &status, 0);
    int code = WIFEXITED(status) ? static_cast<signed char>(WEXITSTATUS(status)) : 1000 + WTERMSIG(status);
    return {code, ReadFile(outPath), ReadFile(errPath)};
}

std::optional<std::vector<std::string>> AsOtherUser(const std::string &program, std::vector<std::string> arguments)
{
    if (::geteuid() != 0) {
        arguments.insert(arguments.begin(), program);
        return arguments;
    }
    const char *setpriv = "/usr/bin/setpriv";
    if (::access(setpriv, X_OK) != 0) {
        return std::nullopt;
    }
    // One copy of the build's programs and libraries for the whole test
    // program, removed when it ends.
    static TempFolder copies;
    fs::path from = fs::path(program).parent_path();
    fs::path to = copies.Path() / "bin";
    if (!fs::exists(to)) {
        fs::permissions(copies.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                           fs::perms::others_read | fs::perms::others_exec);
        fs::create_directory(to);
        for (const auto &entry : fs::directory_iterator(from)) {
            std::string name = entry.path().filename().string();
            bool wanted = name.rfind("libvorl", 0) == 0 || name == "vorlcnv" || name == "VorlList";
            if (wanted) {
                fs::copy(entry.path(), to / name, fs::copy_options::copy_symlinks);
            }
        }
    }
    arguments.insert(arguments.begin(), {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups",
                                         (to / fs::path(program).filename()).string()});
    return arguments;
}

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "vorltest-XXXXXX").string();
    char *made = ::mkdtemp(pattern.data());
    if (made == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = made;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (const auto &entry : fs::recursive_directory_iterator(path_, ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

Block::Block(int rows) : table_(static_cast<size_t>(rows))
{
    std::memset(&info_, 0, sizeof info_);
    info_.entries = table_.data();
    info_.indexnum = rows;
    info_.version = 400;
    info_.dataalign = 1;
    info_.indexinterval = 1;
    info_.indexbyte = 4;
    std::memcpy(info_.headerid, "Vorl", 4);
}

void Block::UseFile(int row, const std::string &name, uint32_t filesize)
{
    IndexEntry &entry = Row(row);
    entry.use = 1;
    SetText(entry.filename, sizeof entry.filename, name);
    entry.filesize = filesize;
}

void Block::SetText(char *field, size_t size, const std::string &text)
{
    ASSERT_LT(text.size(), size);
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), text.size());
}

void Block::SetData(const fs::path &path)
{
    SetText(info_.datafile, sizeof info_.datafile, path.string());
}

void Block::SetHeader(const fs::path &path)
{
    SetText(info_.headerfile, sizeof info_.headerfile, path.string());
}

void Block::SetConverter(int slot, const std::string &commandTemplate)
{
    SetText(info_.convert[slot - 1], sizeof info_.convert[slot - 1], commandTemplate);
}

int Block::Convert()
{
    return VorlConvert(&info_);
}

void InOwnFolder::SetUp()
{
    previous_ = fs::current_path();
    fs::current_path(folder_.Path());
}

void InOwnFolder::TearDown()
{
    fs::current_path(previous_);
}

std::string Sjis(const std::string &utf8)
{
    auto cp932 = common::Utf8ToCp932(utf8);
    EXPECT_TRUE(cp932.has_value()) << utf8;
    return cp932.value_or(std::string());
}

std::map<std::string, std::string> Snapshot(const fs::path &folder)
{
    std::map<std::string, std::string> names;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        std::string owner = " owner " + std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid);
        std::string mode = " mode " + std::to_string(st.st_mode & 07777);
        std::string &text = names[entry.path().lexically_relative(folder).string()];
        if (S_ISLNK(st.st_mode)) {
            text = "link to " + fs::read_symlink(entry.path()).string() + owner;
        } else if (S_ISREG(st.st_mode)) {
            std::string bytes = st.st_size < (1 << 20) ? ReadFile(entry.path()) : std::to_string(st.st_size) + " bytes";
            text = "file [" + bytes + "]" + mode + owner + " inode " + std::to_string(st.st_ino) + " changed " +
                   std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
        } else if (S_ISDIR(st.st_mode)) {
            text = "folder" + mode + owner;
        } else {
            text = "other" + mode + owner;
        }
    }
    return names;
}

std::string Differences(const std::map<std::string, std::string> &before,
                        const std::map<std::string, std::string> &after)
{
    std::string text;
    for (const auto &[name, was] : before) {
        auto now = after.find(name);
        if (now == after.end()) {
            text += "removed " + name + ": " + was + "\n";
        } else if (now->second != was) {
            text += "changed " + name + ": " + was + " -> " + now->second + "\n";
        }
    }
    for (const auto &[name, is] : after) {
        if (before.count(name) == 0) {
            text += "left " + name + ": " + is + "\n";
        }
    }
    return text;
}

}  // namespace vorl::test
