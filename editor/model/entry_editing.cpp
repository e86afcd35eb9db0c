// Entry editing: taking entries in and out of use, registering files (with
// shared references for files registered twice), Insert and Delete with
// renumbering, converters, remarks, aliases and sizes, and the size scan.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "editor_model.h"
#include "entry_reference.h"
#include "library_calls.h"
#include "number_text.h"
#include "round_up.h"

namespace vorlmake {
namespace {

constexpr const char *kRemarksDropped = ",.;:<=>?[\\]^{|}~";
constexpr size_t kRemarksLimit = 256;

// "*N": the entry number N, or -1 for a name that is no reference.
long ReferenceOf(const std::string &name)
{
    if (!vorl::common::IsReference(name)) {
        return -1;
    }
    return static_cast<long>(
        vorl::common::SaturatedSigned(vorl::common::ReadNumberText(std::string_view(name).substr(1))));
}

// An entry out of use keeps only its typed-size flag and its alias.
void TakeOutOfUse(EditEntry &entry)
{
    entry.inUse = false;
    entry.fileName.clear();
    entry.converter = 0;
    entry.remarks.clear();
    entry.size = 0;
}

// A whole text as a number rounded half to even; nothing when it is not a
// number as a whole.
std::optional<double> RoundedNumber(const std::string &text)
{
    char *end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    while (end != nullptr && (*end == ' ' || *end == '\t')) {
        ++end;
    }
    if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(value)) {
        return std::nullopt;
    }
    return std::nearbyint(value);
}

// A whole text as a 32-bit number, rounded half to even; 0 when it is not
// a number as a whole or is out of range.
int32_t WholeNumber(const std::string &text)
{
    auto rounded = RoundedNumber(text);
    if (!rounded || *rounded < -2147483648.0 || *rounded > 2147483647.0) {
        return 0;
    }
    return static_cast<int32_t>(*rounded);
}

// A whole text as a 64-bit pattern: a negative number as its two's
// complement, a positive one up to 2^64 - 1; rounded half to even, and 0
// when it is not a number as a whole or is out of range. Plain decimal
// integers are read exactly, as a double would lose the low digits of
// large values.
int64_t WholeNumber64(const std::string &text)
{
    size_t first = 0;
    while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first]))) {
        ++first;
    }
    size_t last = text.size();
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) {
        --last;
    }
    std::string digits = text.substr(first, last - first);
    const bool negative = !digits.empty() && digits[0] == '-';
    const size_t start = !digits.empty() && (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
    if (start < digits.size() && std::all_of(digits.begin() + static_cast<std::ptrdiff_t>(start), digits.end(),
                                             [](char c) { return c >= '0' && c <= '9'; })) {
        errno = 0;
        if (negative) {
            long long value = std::strtoll(digits.c_str(), nullptr, 10);
            return errno == ERANGE ? 0 : static_cast<int64_t>(value);
        }
        unsigned long long value = std::strtoull(digits.c_str() + start, nullptr, 10);
        return errno == ERANGE ? 0 : static_cast<int64_t>(static_cast<uint64_t>(value));
    }
    auto rounded = RoundedNumber(text);
    // -2^63 up to, but not including, 2^64.
    if (!rounded || *rounded < -9223372036854775808.0 || *rounded >= 18446744073709551616.0) {
        return 0;
    }
    if (*rounded < 0) {
        return static_cast<int64_t>(*rounded);
    }
    return static_cast<int64_t>(static_cast<uint64_t>(*rounded));
}

// A name as this host spells it: a project made on Windows writes "\".
std::string NativeForm(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace

// Filters remarks and labels: keeps a blank, or a character not below "0"
// that is none of the dropped ones nor DEL, when its position (counted
// from 1) is below `limit`; true when anything was dropped. A text whose
// CP932 form would pass `byteLimit` keeps only the characters that fit, so
// the field never takes more than it can store.
bool FilterRemarks(std::string &text, size_t limit, size_t byteLimit)
{
    std::string kept;
    size_t position = 0;
    bool dropped = false;
    for (const std::string &character : Characters(text)) {
        ++position;
        unsigned char first = static_cast<unsigned char>(character[0]);
        bool allowed =
            character == " " ||
            (first >= '0' && first != 127 &&
             (character.size() > 1 || std::string_view(kRemarksDropped).find(character[0]) == std::string::npos));
        auto bytes = Cp932Length(kept + character);
        if (!allowed || position >= limit || !bytes || *bytes > byteLimit) {
            dropped = true;
            continue;
        }
        kept += character;
    }
    text = kept;
    return dropped;
}

int64_t EditorModel::RoundUpToAlignment(int64_t size) const
{
    int64_t align = std::max<int32_t>(state_.block.dataalign, 1);
    if (size >= 0) {
        return static_cast<int64_t>(vorl::common::RoundUp(static_cast<uint64_t>(size), static_cast<uint64_t>(align)));
    }
    // A typed size of 2 GiB and more comes from the project as a negative
    // number (TableToEntries), which RoundUp cannot take. It is raised to
    // one unit past its truncation toward zero, the step such a size has
    // always taken, so that saving a project again writes what it wrote.
    int64_t remainder = size % align;
    return remainder == 0 ? size : size + align - remainder;
}

bool EditorModel::IsParent(int entry) const
{
    const std::string reference = "*" + std::to_string(entry);
    return std::any_of(state_.entries.begin(), state_.entries.end(),
                       [&](const EditEntry &other) { return other.fileName == reference; });
}

void EditorModel::SetEntryInUse(int row, bool ticked)
{
    ChangeScope change(*this);
    if (Busy()) {
        return;
    }
    const int e = EntryOf(row);
    EditEntry &entry = Entry(e);
    if (ticked) {
        entry.inUse = true;
        ShowRow(row);
        if (entry.fileName.empty()) {
            ChooseInputFile(row);
        }
        return;
    }
    if (IsParent(e)) {
        host_.ShowMessage("親であるこのindexを無効にすることは出来ないんだよ。", "設定エラー", MessageIcon::Exclamation,
                          MessageButtons::Ok);
        ShowRow(row);  // the box is ticked again
        return;
    }
    TakeOutOfUse(entry);
    ShowRow(row);
    MarkModified();
}

void EditorModel::SelectRow(int row)
{
    if (!Busy()) {
        state_.lastRow = static_cast<int16_t>(row);
    }
}

void EditorModel::ChooseInputFile(int row)
{
    ChangeScope change(*this);
    if (Busy() || !Entry(EntryOf(row)).inUse) {
        return;
    }
    host_.SetMainWindowEnabled(false);
    host_.ProcessPendingMessages();
    if (state_.inputFolder.empty()) {
        state_.inputFolder = state_.currentFolder;
    }
    FileDialogRequest request;
    request.title = "ファイルを開く";
    std::string filter = state_.inputFilter;
    for (size_t start = 0; start < filter.size();) {
        size_t bar = filter.find('|', start);
        size_t next = bar == std::string::npos ? std::string::npos : filter.find('|', bar + 1);
        if (bar == std::string::npos) {
            break;
        }
        request.filters.emplace_back(filter.substr(start, bar - start), filter.substr(bar + 1, next - bar - 1));
        start = next == std::string::npos ? filter.size() : next + 1;
    }
    request.filterIndex = state_.inputFilterIndex;
    request.startFolder = state_.inputFolder;
    std::optional<FileChoice> choice = host_.ChooseFileToOpen(request);
    bool registered = false;
    if (choice) {
        state_.inputFolder = FolderOf(choice->path);
        state_.inputFilterIndex = static_cast<int16_t>(choice->filterIndex);
        host_.SetMainWindowEnabled(true);
        registered = RegisterFile(row, choice->path);
    }
    // The tick that opened the dialog is taken back when no file came of
    // it; nothing was registered, so the project is not marked changed.
    EditEntry &entry = Entry(EntryOf(row));
    if (!registered && entry.fileName.empty() && !IsParent(EntryOf(row))) {
        TakeOutOfUse(entry);
        ShowRow(row);
    }
    host_.ProcessPendingMessages();
    host_.SetMainWindowEnabled(true);
    host_.FocusFileName(row);
}

void EditorModel::RegisterDroppedFiles(int row, const std::vector<std::string> &paths)
{
    ChangeScope change(*this);
    if (Busy() || paths.empty()) {
        return;
    }
    host_.SetMainWindowEnabled(false);
    host_.ProcessPendingMessages();
    host_.SetMainWindowEnabled(true);
    RegisterFile(row, paths.front());
    host_.ProcessPendingMessages();
    host_.FocusFileName(row);
}

bool EditorModel::RegisterFile(int row, const std::string &path)
{
    ChangeScope change(*this);
    if (Busy() || path.empty()) {
        return false;
    }
    // A control character cannot be written into a project file and read
    // back: such a name is refused before it is stored.
    if (std::any_of(path.begin(), path.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        host_.ShowMessage(path + "\r\nこのファイル名には制御文字が含まれているため登録できないよ。", "ファイルエラー",
                          MessageIcon::Exclamation, MessageButtons::Ok);
        return false;
    }
    const int e = EntryOf(row);
    // Names on this host are case-sensitive: A.bin and a.bin are two files,
    // never one shared entry.
    int match = -1;
    for (int c = 0; c < kEntryCount && match < 0; ++c) {
        const EditEntry &other = Entry(c);
        if (c == e || vorl::common::IsReference(other.fileName)) {
            continue;
        }
        auto full = RelToAbs(library_, state_.currentFolder, other.fileName);
        if (full && NativeForm(*full) == NativeForm(path)) {
            match = c;
        }
    }
    bool shared = false;
    if (match >= 0) {
        Answer answer = host_.ShowMessage("ファイルが既に登録されているよ。多重登録します？", "多重登録確認",
                                          MessageIcon::Exclamation, MessageButtons::YesNoCancel);
        if (answer == Answer::Cancel) {
            return false;
        }
        if (answer == Answer::No) {
            shared = true;
            EditEntry &entry = Entry(e);
            if (match < e) {
                entry.fileName = "*" + std::to_string(match);
            } else {
                // The lower number holds the data, the higher one refers to it.
                EditEntry &holder = Entry(match);
                entry = holder;
                holder.fileName = "*" + std::to_string(e);
                holder.converter = 0;
                holder.remarks.clear();
                holder.size = 0;
            }
        }
    }
    if (!shared) {
        std::optional<std::string> stored;
        switch (state_.block.pathmode) {
            case 1:
                stored = path;
                break;
            case 2:
                stored = AbsToRel(library_, state_.currentFolder, path);
                break;
            default:
                stored = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
                break;
        }
        // A stored name that begins with "*" would read as a reference.
        if (stored && vorl::common::IsReference(*stored)) {
            stored->insert(0, "./");
        }
        auto length = stored ? Cp932Length(*stored) : std::nullopt;
        if (!length || *length >= VORL_PATH_SIZE) {
            host_.ShowMessage(path + "\r\nこのファイル名は長すぎるか、Shift-JISで表せないため登録できないよ。",
                              "ファイルエラー", MessageIcon::Exclamation, MessageButtons::Ok);
            return false;
        }
        EditEntry &entry = Entry(e);
        entry.fileName = *stored;
        entry.inUse = true;
        entry.sizeTyped = false;
        entry.converter = state_.defaultConverter;
        ScanEntrySize(e, false);
    }
    Entry(e).inUse = true;
    ShowPage();
    state_.modified = true;
    return true;
}

void EditorModel::InsertEntry(int row)
{
    ChangeScope change(*this);
    const int e = EntryOf(row);
    if (Busy() || e == kEntryCount - 1) {
        return;
    }
    // The last entry would be pushed out of the list and lost.
    if (Entry(kEntryCount - 1).inUse) {
        host_.ShowMessage("最後のindex(9999)が使われているので、挿入できないよ。", "設定エラー",
                          MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    MarkModified();
    auto at = state_.entries.begin() + e;
    std::rotate(at, state_.entries.end() - 1, state_.entries.end());
    for (EditEntry &entry : state_.entries) {
        long n = ReferenceOf(entry.fileName);
        if (n >= e) {
            entry.fileName = "*" + std::to_string(n + 1);
        }
    }
    EditEntry &inserted = Entry(e);
    const EditEntry &moved = Entry(e + 1);
    inserted = EditEntry{};
    inserted.sizeTyped = moved.sizeTyped;
    inserted.alias = moved.alias;
    ShowPage();
}

void EditorModel::DeleteEntry(int row)
{
    ChangeScope change(*this);
    const int e = EntryOf(row);
    if (Busy() || e == kEntryCount - 1) {
        return;
    }
    // Deleting a parent would leave its references naming the entry before
    // it: such a delete is refused.
    if (IsParent(e)) {
        host_.ShowMessage("このindexは他のindexから参照されているので削除できないよ。", "設定エラー",
                          MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    MarkModified();
    int64_t lastAlias = Entry(kEntryCount - 1).alias;
    std::rotate(state_.entries.begin() + e, state_.entries.begin() + e + 1, state_.entries.end());
    for (EditEntry &entry : state_.entries) {
        long n = ReferenceOf(entry.fileName);
        if (n >= e) {
            entry.fileName = "*" + std::to_string(n - 1);
        }
    }
    EditEntry &last = Entry(kEntryCount - 1);
    last = EditEntry{};
    last.alias = lastAlias;
    ShowPage();
}

void EditorModel::SetEntryConverter(int row, int item)
{
    ChangeScope change(*this);
    if (Busy()) {
        return;
    }
    MarkModified();
    EditEntry &entry = Entry(EntryOf(row));
    entry.converter = static_cast<int16_t>(item);
    if (!entry.sizeTyped && item == 0) {
        entry.size = RoundUpToAlignment(entry.size);
    }
    ShowPage();
}

std::optional<std::string> EditorModel::EditRemarks(int row, const std::string &text)
{
    // Typing into one field is one step.
    ChangeScope change(*this, "remarks " + std::to_string(EntryOf(row)));
    if (Busy()) {
        return std::nullopt;
    }
    MarkModified();
    if (marks_.aliasColumn) {
        return std::nullopt;
    }
    std::string kept = text;
    bool dropped = FilterRemarks(kept, kRemarksLimit, VORL_REMARKS_SIZE - 1);
    Entry(EntryOf(row)).remarks = kept;
    if (!dropped) {
        return std::nullopt;
    }
    return kept;
}

void EditorModel::SetAlias(int row, const std::string &text)
{
    ChangeScope change(*this);
    if (Busy() || !marks_.aliasColumn) {
        return;
    }
    // The alias table's own width decides what fits: the index width has
    // nothing to do with it. -1 becomes all ones of that width.
    const int width = AliasWidth();
    if (width == 8) {
        Entry(EntryOf(row)).alias = WholeNumber64(text);
        ShowRow(row);
        return;
    }
    int32_t value = WholeNumber(text);
    if (width < 4) {
        const int64_t highest = (int64_t{1} << (8 * width)) - 1;
        const int64_t lowest = -(int64_t{1} << (8 * width - 1));
        if (value > highest || value < lowest) {
            host_.ShowMessage("エイリアスの値が大きすぎるよ", "警告", MessageIcon::Exclamation, MessageButtons::Ok);
        }
        value = static_cast<int32_t>(value & highest);
    }
    // The narrower widths take a 32-bit value; its upper half is 0, as the
    // alias table of those widths never holds one.
    Entry(EntryOf(row)).alias = static_cast<int64_t>(static_cast<uint32_t>(value));
    ShowRow(row);
}

void EditorModel::SetEntrySize(int row, const std::string &text)
{
    ChangeScope change(*this);
    if (Busy()) {
        return;
    }
    int64_t value = WholeNumber(text);
    int64_t align = std::max<int32_t>(state_.block.dataalign, 1);
    // A negative size would be stored as a huge unsigned one, and a size
    // past 2 GiB does not fit the project's field.
    if (value < 0 || RoundUpToAlignment(value) > INT32_MAX) {
        host_.ShowMessage("サイズには 0 から 2147483647 までの数を入力してね。", "警告", MessageIcon::Exclamation,
                          MessageButtons::Ok);
        ShowRow(row);
        return;
    }
    if (value % align != 0) {
        host_.ShowMessage(
            std::string("このサイズ設定だと、データ境界が設定単位にならないよ。") + "\r\n設定を自動的に補正するね。",
            "警告", MessageIcon::Exclamation, MessageButtons::Ok);
        value = RoundUpToAlignment(value);
    }
    EditEntry &entry = Entry(EntryOf(row));
    entry.sizeTyped = true;
    MarkModified();
    entry.size = value;
    ShowRow(row);
}

void EditorModel::ReleaseTypedSize(int row)
{
    ChangeScope change(*this);
    if (Busy()) {
        return;
    }
    const int e = EntryOf(row);
    EditEntry &entry = Entry(e);
    if (!entry.sizeTyped) {
        return;
    }
    if (entry.converter == 0) {
        ScanEntrySize(e, true);
    }
    entry.sizeTyped = false;
    MarkModified();
    ShowRow(row);
}

void EditorModel::ScanEntrySize(int number, bool force)
{
    if (auto unreadable = MeasureEntry(number, force)) {
        ReportUnreadableFiles({*unreadable});
    }
}

std::optional<std::string> EditorModel::MeasureEntry(int number, bool force)
{
    if (Busy()) {
        return std::nullopt;
    }
    MarkModified();
    EditEntry &entry = Entry(number);
    if (!entry.inUse || vorl::common::IsReference(entry.fileName)) {
        return std::nullopt;
    }
    std::string fullPath = RelToAbs(library_, state_.currentFolder, entry.fileName).value_or(entry.fileName);
    std::optional<int64_t> length = host_.FileLength(NativeForm(fullPath));
    if (!force && entry.sizeTyped) {
        return std::nullopt;
    }
    if (!length) {
        return marks_.missingFileUnused ? std::nullopt : std::optional<std::string>(fullPath);
    }
    entry.size = RoundUpToAlignment(*length);
    return std::nullopt;
}

void EditorModel::ReportUnreadableFiles(const std::vector<std::string> &paths)
{
    if (paths.empty()) {
        return;
    }
    // One message for all of them: a moved project of hundreds of entries
    // must not ask for hundreds of clicks.
    std::string list = ListOfAtMostTwenty(paths);
    if (paths.size() == 1) {
        list = paths.front() + "\r\n";
    }
    host_.ShowMessage(list + "ファイルが読み込めないよ。", "ファイルエラー", MessageIcon::Exclamation,
                      MessageButtons::Ok);
}

void EditorModel::RescanSizes()
{
    ChangeScope change(*this);
    if (Busy()) {
        return;
    }
    MarkModified();
    std::vector<std::string> unreadable;
    for (int n = 0; n < kEntryCount; ++n) {
        if (auto path = MeasureEntry(n, false)) {
            unreadable.push_back(*path);
        }
    }
    ShowPage();
    ReportUnreadableFiles(unreadable);
}

}  // namespace vorlmake
