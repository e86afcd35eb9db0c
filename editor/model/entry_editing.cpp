// Entry editing: taking entries in and out of use, registering files (with
// shared references for files registered twice), Insert and Delete with
// renumbering, converters, remarks, aliases and sizes, and the size scan.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "editor_model.h"
#include "library_calls.h"

namespace vorlmake {
namespace {

constexpr const char *kRemarksDropped = ",.;:<=>?[\\]^{|}~";
constexpr size_t kRemarksLimit = 256;

// "*N": the entry number N, or -1 for a name that is no reference.
long ReferenceOf(const std::string &name)
{
    return !name.empty() && name[0] == '*' ? std::atol(name.c_str() + 1) : -1;
}

// An entry out of use keeps only its typed-size flag and its alias.
void TakeOutOfUse(EditEntry &entry)
{
    entry.Use = false;
    entry.FileName.clear();
    entry.ConvertNo = 0;
    entry.Remarks.clear();
    entry.Size = 0;
}

// A whole text as a 32-bit number, rounded half to even; 0 when it is not
// a number as a whole or is out of range.
int32_t WholeNumber(const std::string &text)
{
    char *end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    while (end != nullptr && (*end == ' ' || *end == '\t')) {
        ++end;
    }
    if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(value)) {
        return 0;
    }
    double rounded = std::nearbyint(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0) {
        return 0;
    }
    return static_cast<int32_t>(rounded);
}

// A name as this host spells it: a project made on Windows writes "\".
std::string NativeForm(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string FolderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
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
        bool allowed = character == " " ||
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
    int64_t align = std::max<int32_t>(state_.ProjectInfo.dataalign, 1);
    int64_t remainder = size % align;
    return remainder == 0 ? size : size + align - remainder;
}

bool EditorModel::IsParent(int entry) const
{
    const std::string reference = "*" + std::to_string(entry);
    return std::any_of(state_.Entries.begin(), state_.Entries.end(),
                       [&](const EditEntry &other) { return other.FileName == reference; });
}

void EditorModel::chkIndex_Click(int row, bool ticked)
{
    if (Busy()) {
        return;
    }
    const int e = EntryOf(row);
    EditEntry &entry = Entry(e);
    if (ticked) {
        entry.Use = true;
        ShowRow(row);
        if (entry.FileName.empty()) {
            txtVorName_DblClick(row);
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

void EditorModel::txtVorName_Click(int row)
{
    if (!Busy()) {
        state_.LastFocus = static_cast<int16_t>(row);
    }
}

void EditorModel::txtVorName_DblClick(int row)
{
    if (Busy() || !Entry(EntryOf(row)).Use) {
        return;
    }
    host_.SetMainWindowEnabled(false);
    host_.ProcessPendingMessages();
    if (state_.FileInputDir.empty()) {
        state_.FileInputDir = state_.CurrentDir;
    }
    FileDialogRequest request;
    request.title = "ファイルを開く";
    std::string filter = state_.LoadDataFilter;
    for (size_t start = 0; start < filter.size();) {
        size_t bar = filter.find('|', start);
        size_t next = bar == std::string::npos ? std::string::npos : filter.find('|', bar + 1);
        if (bar == std::string::npos) {
            break;
        }
        request.filters.emplace_back(filter.substr(start, bar - start), filter.substr(bar + 1, next - bar - 1));
        start = next == std::string::npos ? filter.size() : next + 1;
    }
    request.filterIndex = state_.FileInputFilter;
    request.startFolder = state_.FileInputDir;
    std::optional<FileChoice> choice = host_.ChooseFileToOpen(request);
    bool registered = false;
    if (choice) {
        state_.FileInputDir = FolderOf(choice->path);
        state_.FileInputFilter = static_cast<int16_t>(choice->filterIndex);
        host_.SetMainWindowEnabled(true);
        registered = RegisterFile(row, choice->path);
    }
    // The tick that opened the dialog is taken back when no file came of
    // it; nothing was registered, so the project is not marked changed.
    EditEntry &entry = Entry(EntryOf(row));
    if (!registered && entry.FileName.empty() && !IsParent(EntryOf(row))) {
        TakeOutOfUse(entry);
        ShowRow(row);
    }
    host_.ProcessPendingMessages();
    host_.SetMainWindowEnabled(true);
    host_.FocusFileName(row);
}

void EditorModel::txtVorName_Drop(int row, const std::vector<std::string> &paths)
{
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
    if (Busy() || path.empty()) {
        return false;
    }
    // A control character cannot be written into a project file and read
    // back: such a name is refused before it is stored.
    if (std::any_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
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
        if (c == e || other.FileName.empty() || other.FileName[0] == '*') {
            continue;
        }
        auto full = RelToAbs(library_, state_.CurrentDir, other.FileName);
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
                entry.FileName = "*" + std::to_string(match);
            } else {
                // The lower number holds the data, the higher one refers to it.
                EditEntry &holder = Entry(match);
                entry = holder;
                holder.FileName = "*" + std::to_string(e);
                holder.ConvertNo = 0;
                holder.Remarks.clear();
                holder.Size = 0;
            }
        }
    }
    if (!shared) {
        std::optional<std::string> stored;
        switch (state_.ProjectInfo.pathmode) {
        case 1: stored = path; break;
        case 2: stored = AbsToRel(library_, state_.CurrentDir, path); break;
        default: stored = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1); break;
        }
        // A stored name that begins with "*" would read as a reference.
        if (stored && !stored->empty() && (*stored)[0] == '*') {
            stored->insert(0, "./");
        }
        auto length = stored ? Cp932Length(*stored) : std::nullopt;
        if (!length || *length >= VORL_PATH_SIZE) {
            host_.ShowMessage(path + "\r\nこのファイル名は長すぎるか、Shift-JISで表せないため登録できないよ。",
                              "ファイルエラー", MessageIcon::Exclamation, MessageButtons::Ok);
            return false;
        }
        EditEntry &entry = Entry(e);
        entry.FileName = *stored;
        entry.Use = true;
        entry.SizeFixed = false;
        entry.ConvertNo = state_.DefaultConvert;
        ScanEntrySize(e, false);
    }
    Entry(e).Use = true;
    ShowPage();
    state_.NewAccess = true;
    return true;
}

void EditorModel::txtVorName_Insert(int row)
{
    const int e = EntryOf(row);
    if (Busy() || e == kEntryCount - 1) {
        return;
    }
    // The last entry would be pushed out of the list and lost.
    if (Entry(kEntryCount - 1).Use) {
        host_.ShowMessage("最後のindex(9999)が使われているので、挿入できないよ。", "設定エラー",
                          MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    MarkModified();
    auto at = state_.Entries.begin() + e;
    std::rotate(at, state_.Entries.end() - 1, state_.Entries.end());
    for (EditEntry &entry : state_.Entries) {
        long n = ReferenceOf(entry.FileName);
        if (n >= e) {
            entry.FileName = "*" + std::to_string(n + 1);
        }
    }
    EditEntry &inserted = Entry(e);
    const EditEntry &moved = Entry(e + 1);
    inserted = EditEntry{};
    inserted.SizeFixed = moved.SizeFixed;
    inserted.Alias = moved.Alias;
    ShowPage();
}

void EditorModel::txtVorName_Delete(int row)
{
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
    int32_t lastAlias = Entry(kEntryCount - 1).Alias;
    std::rotate(state_.Entries.begin() + e, state_.Entries.begin() + e + 1, state_.Entries.end());
    for (EditEntry &entry : state_.Entries) {
        long n = ReferenceOf(entry.FileName);
        if (n >= e) {
            entry.FileName = "*" + std::to_string(n - 1);
        }
    }
    EditEntry &last = Entry(kEntryCount - 1);
    last = EditEntry{};
    last.Alias = lastAlias;
    ShowPage();
}

void EditorModel::cmbDataConv_Click(int row, int item)
{
    if (Busy()) {
        return;
    }
    MarkModified();
    EditEntry &entry = Entry(EntryOf(row));
    entry.ConvertNo = static_cast<int16_t>(item);
    if (!entry.SizeFixed && item == 0) {
        entry.Size = RoundUpToAlignment(entry.Size);
    }
    ShowPage();
}

std::optional<std::string> EditorModel::txtBikou_Change(int row, const std::string &text)
{
    if (Busy()) {
        return std::nullopt;
    }
    MarkModified();
    if (menus_.dispAlias) {
        return std::nullopt;
    }
    std::string kept = text;
    bool dropped = FilterRemarks(kept, kRemarksLimit, VORL_REMARKS_SIZE - 1);
    Entry(EntryOf(row)).Remarks = kept;
    if (!dropped) {
        return std::nullopt;
    }
    return kept;
}

void EditorModel::txtBikou_Commit(int row, const std::string &text)
{
    if (Busy() || !menus_.dispAlias) {
        return;
    }
    int32_t value = WholeNumber(text);
    // The alias table's own width decides what fits: the index width has
    // nothing to do with it. -1 becomes all ones of that width.
    const int width = AliasWidth();
    if (width < 4) {
        const int64_t highest = (int64_t{1} << (8 * width)) - 1;
        const int64_t lowest = -(int64_t{1} << (8 * width - 1));
        if (value > highest || value < lowest) {
            host_.ShowMessage("エイリアスの値が大きすぎるよ", "警告", MessageIcon::Exclamation, MessageButtons::Ok);
        }
        value = static_cast<int32_t>(value & highest);
    }
    Entry(EntryOf(row)).Alias = value;
    ShowRow(row);
}

void EditorModel::txtSize_Enter(int row, const std::string &text)
{
    if (Busy()) {
        return;
    }
    int64_t value = WholeNumber(text);
    int64_t align = std::max<int32_t>(state_.ProjectInfo.dataalign, 1);
    // A negative size would be stored as a huge unsigned one, and a size
    // past 2 GiB does not fit the project's field.
    if (value < 0 || RoundUpToAlignment(value) > INT32_MAX) {
        host_.ShowMessage("サイズには 0 から 2147483647 までの数を入力してね。", "警告", MessageIcon::Exclamation,
                          MessageButtons::Ok);
        ShowRow(row);
        return;
    }
    if (value % align != 0) {
        host_.ShowMessage(std::string("このサイズ設定だと、データ境界が設定単位にならないよ。") +
                              "\r\n設定を自動的に補正するね。",
                          "警告", MessageIcon::Exclamation, MessageButtons::Ok);
        value = RoundUpToAlignment(value);
    }
    EditEntry &entry = Entry(EntryOf(row));
    entry.SizeFixed = true;
    MarkModified();
    entry.Size = value;
    ShowRow(row);
}

void EditorModel::txtSize_DblClick(int row)
{
    if (Busy()) {
        return;
    }
    const int e = EntryOf(row);
    EditEntry &entry = Entry(e);
    if (!entry.SizeFixed) {
        return;
    }
    if (entry.ConvertNo == 0) {
        ScanEntrySize(e, true);
    }
    entry.SizeFixed = false;
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
    if (!entry.Use || (!entry.FileName.empty() && entry.FileName[0] == '*')) {
        return std::nullopt;
    }
    std::string fullPath = RelToAbs(library_, state_.CurrentDir, entry.FileName).value_or(entry.FileName);
    std::optional<int64_t> length = host_.FileLength(NativeForm(fullPath));
    if (!force && entry.SizeFixed) {
        return std::nullopt;
    }
    if (!length) {
        return menus_.noFile ? std::nullopt : std::optional<std::string>(fullPath);
    }
    entry.Size = RoundUpToAlignment(*length);
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
    host_.ShowMessage(list + "ファイルが読み込めないよ。", "ファイルエラー", MessageIcon::Exclamation, MessageButtons::Ok);
}

void EditorModel::mnuFileScan_Click()
{
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
