// Entry editing: taking entries in and out of use, registering files (with
// shared references for files registered twice), Insert and Delete with
// renumbering, converters, remarks, aliases and sizes, and the size scan.
#include <algorithm>
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

int32_t EditorModel::RoundUpToAlignment(int64_t size) const
{
    int64_t align = std::max<int32_t>(state_.ProjectInfo.dataalign, 1);
    int64_t remainder = size % align;
    return static_cast<int32_t>(remainder == 0 ? size : size + align - remainder);
}

bool EditorModel::IsParent(int entry) const
{
    const std::string reference = "*" + std::to_string(entry);
    return std::any_of(state_.Entries.begin(), state_.Entries.end(),
                       [&](const EditEntry &other) { return other.FileName == reference; });
}

void EditorModel::chkIndex_Click(int row, bool ticked)
{
    if (state_.NowPrint) {
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
    entry.Use = false;
    entry.FileName.clear();
    entry.ConvertNo = 0;
    entry.Remarks.clear();
    entry.Size = 0;
    ShowRow(row);
    MarkModified();
}

void EditorModel::txtVorName_Click(int row)
{
    if (!state_.NowPrint) {
        state_.LastFocus = static_cast<int16_t>(row);
    }
}

void EditorModel::txtVorName_DblClick(int row)
{
    if (state_.NowPrint || !Entry(EntryOf(row)).Use) {
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
    if (!choice) {
        if (Entry(EntryOf(row)).FileName.empty()) {
            host_.SetMainWindowEnabled(true);
            chkIndex_Click(row, false);
        }
    } else {
        state_.FileInputDir = FolderOf(choice->path);
        state_.FileInputFilter = static_cast<int16_t>(choice->filterIndex);
        host_.SetMainWindowEnabled(true);
        if (!RegisterFile(row, choice->path) && Entry(EntryOf(row)).FileName.empty()) {
            chkIndex_Click(row, false);
        }
    }
    host_.ProcessPendingMessages();
    host_.SetMainWindowEnabled(true);
    host_.FocusFileName(row);
}

void EditorModel::txtVorName_Drop(int row, const std::vector<std::string> &paths)
{
    if (state_.NowPrint || paths.empty()) {
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
    if (path.empty()) {
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
    if (state_.NowPrint || e == kEntryCount - 1) {
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
    if (state_.NowPrint || e == kEntryCount - 1) {
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
    if (state_.NowPrint) {
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
    if (state_.NowPrint) {
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
    if (state_.NowPrint || !menus_.dispAlias) {
        return;
    }
    int32_t value = WholeNumber(text);
    if (menus_.idxTp[1]) {
        if (value > 65535) {
            host_.ShowMessage("エイリアスの値が大きすぎるよ", "警告", MessageIcon::Exclamation, MessageButtons::Ok);
        }
        value &= 0xFFFF;
    }
    Entry(EntryOf(row)).Alias = value;
    ShowRow(row);
}

void EditorModel::txtSize_Enter(int row, const std::string &text)
{
    if (state_.NowPrint) {
        return;
    }
    int64_t value = WholeNumber(text);
    int64_t align = std::max<int32_t>(state_.ProjectInfo.dataalign, 1);
    if (value % align != 0) {
        host_.ShowMessage(std::string("このサイズ設定だと、データ境界が設定単位にならないよ。") +
                              "\r\n設定を自動的に補正するね。",
                          "警告", MessageIcon::Exclamation, MessageButtons::Ok);
        // The remainder carries the sign of the value: -5 at 4 becomes 0.
        value += align - value % align;
    }
    EditEntry &entry = Entry(EntryOf(row));
    entry.SizeFixed = true;
    MarkModified();
    entry.Size = static_cast<int32_t>(value);
    ShowRow(row);
}

void EditorModel::txtSize_DblClick(int row)
{
    if (state_.NowPrint) {
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
    if (state_.NowPrint) {
        return;
    }
    MarkModified();
    EditEntry &entry = Entry(number);
    if (!entry.Use || (!entry.FileName.empty() && entry.FileName[0] == '*')) {
        return;
    }
    std::string fullPath = RelToAbs(library_, state_.CurrentDir, entry.FileName).value_or(entry.FileName);
    std::optional<int64_t> length = host_.FileLength(NativeForm(fullPath));
    if (!force && entry.SizeFixed) {
        return;
    }
    if (!length) {
        if (!menus_.noFile) {
            host_.ShowMessage(fullPath + "\r\nファイルが読み込めないよ。", "ファイルエラー", MessageIcon::Exclamation,
                              MessageButtons::Ok);
        }
        return;
    }
    entry.Size = RoundUpToAlignment(*length);
}

void EditorModel::mnuFileScan_Click()
{
    if (state_.NowPrint) {
        return;
    }
    MarkModified();
    for (int n = 0; n < kEntryCount; ++n) {
        ScanEntrySize(n, false);
    }
    ShowPage();
}

}  // namespace vorlmake
