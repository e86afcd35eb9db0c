#include "convert_pipeline.h"

#include <cerrno>
#include <optional>
#include <string>
#include <utility>

#include "absolute_path.h"
#include "alignment_rule.h"
#include "binary_index.h"
#include "body_packer.h"
#include "entry_reference.h"
#include "file_system.h"
#include "fixed_text.h"
#include "header_text.h"
#include "output_placement.h"
#include "output_plan.h"
#include "output_target.h"
#include "path_rules.h"
#include "value_widths.h"

namespace vorl {
namespace {

// The modes whose binary index states the alignment are these two.
static_assert(common::StatesAlignment(kIndexInFile) && common::StatesAlignment(kIndexBinary) &&
              !common::StatesAlignment(kIndexText) && !common::StatesAlignment(kIndexNothing));

// A block that breaks the conversion's invariants is refused before any
// file is touched: a zero alignment or interval would divide by zero, an
// unknown width or converter slot would read outside the block.
int CheckBlock(const VorlInformation &info, const ConversionContext &reporter)
{
    if (info.indexnum <= 0 || info.indexout < 0) {
        return VORL_ERR_NO_INDEX;
    }
    if (info.indexnum > VORL_MAX_ENTRIES) {
        return VORL_ERR_TOO_MANY_FILES;
    }
    if (info.entries == nullptr || info.indexout > kIndexNothing ||
        !common::AcceptsAlignment(info.indexout, info.dataalign) || info.indexinterval < 1 ||
        !common::IsValueWidth(info.indexbyte) || (info.usealias != 0 && !common::IsValueWidth(info.usealias))) {
        return VORL_ERR_BAD_ACCESS;
    }
    for (int32_t row = 0; row < info.indexnum; ++row) {
        const IndexEntry &entry = info.entries[row];
        if (entry.use == 1 && (entry.convertnum < 0 || entry.convertnum > VORL_SLOT_COUNT)) {
            reporter.NoteRow(row, FieldText(entry.filename));
            reporter.NoteFile(FieldText(entry.filename), VORL_CAUSE_CONVERTER_SLOT);
            return VORL_ERR_BAD_ACCESS;
        }
    }
    return VORL_OK;
}

// An output name resolved against the project's folder; nothing when the
// result does not fit a path field (a cut path would name another file).
std::optional<std::string> ResolveOutputPath(const VorlInformation &info, std::string_view name)
{
    std::string_view prjdir = FieldText(info.prjdir);
    std::string path = prjdir.empty() ? std::string(name) : MakeAbsolutePath(name, prjdir, host::HostRules());
    if (path.empty() || path.size() >= VORL_PATH_SIZE) {
        return std::nullopt;
    }
    return path;
}

bool NamesAFile(const IndexEntry &entry)
{
    std::string_view name = FieldText(entry.filename);
    return entry.use == 1 && !name.empty() && !common::IsReference(name);
}

// The inputs are read while the pack is written: an output that is one of
// them would end up replaced by a pack made of itself, and an output named
// twice would keep only one of its contents. Every file the run reads (the
// rows in use that name a file, copied or handed to a converter, the list
// files, the project, the caller's own) and every file it writes take part.
int CheckOutputsAgainstInputs(const VorlInformation &info, const std::string &dataPath,
                              const std::optional<std::string> &headerPath, const ConversionContext &reporter)
{
    host::OutputPlan plan;
    std::vector<int32_t> rowOfInput;
    for (int32_t row = 0; row < info.indexnum; ++row) {
        if (NamesAFile(info.entries[row])) {
            plan.AddInput(FieldText(info.entries[row].filename));
            rowOfInput.push_back(row);
        }
    }
    if (!FieldText(info.prjfile).empty()) {
        plan.AddInput(FieldText(info.prjfile));
    }
    for (const std::string &input : reporter.OtherInputs()) {
        plan.AddInput(input);
    }
    plan.AddOutput(dataPath);
    if (headerPath) {
        plan.AddOutput(*headerPath);
    }
    for (const std::string &output : reporter.OtherOutputs()) {
        plan.AddOutput(output);
    }
    auto conflict = plan.FindConflict();
    if (!conflict) {
        return VORL_OK;
    }
    // Outputs are named as the caller gave them, not as resolved.
    std::vector<std::string> given = {std::string(FieldText(info.datafile))};
    if (headerPath) {
        given.emplace_back(FieldText(info.headerfile));
    }
    given.insert(given.end(), reporter.OtherOutputs().begin(), reporter.OtherOutputs().end());
    auto givenName = [&given](int index) { return given[static_cast<size_t>(index)]; };
    bool fromRow = !conflict->otherIsOutput && static_cast<size_t>(conflict->otherIndex) < rowOfInput.size();
    reporter.NoteSameFile(
        givenName(conflict->outputIndex), conflict->otherIsOutput ? givenName(conflict->otherIndex) : conflict->other,
        conflict->otherIsOutput, fromRow ? rowOfInput[static_cast<size_t>(conflict->otherIndex)] : -1);
    return VORL_ERR_OUTPUT_FILE;
}

// Removes the conversion's temporary files on every way out.
class WorkFilesGuard {
public:
    explicit WorkFilesGuard(std::string_view workdir) : workdir_(workdir)
    {
        std::string base(workdir);
        files_ = {base + "vorlbody.tmp", base + "vorlindx.tmp", base + "vorlpack.tmp"};
    }
    ~WorkFilesGuard()
    {
        for (const std::string *path : {&files_.body, &files_.index, &files_.pack}) {
            host::RemoveFile(*path);
        }
        for (const std::string &path : more_) {
            host::RemoveFile(path);
        }
    }
    const WorkFiles &Files() const { return files_; }
    // One more work file, removed with the others; its path.
    std::string AddFile(const std::string &name)
    {
        more_.push_back(workdir_ + name);
        return more_.back();
    }

private:
    WorkFiles files_;
    std::string workdir_;
    std::vector<std::string> more_;
};

int WriteWholeFile(const std::string &path, const std::string &content, const ConversionContext &reporter)
{
    host::HostFile file = host::HostFile::CreateTruncating(path);
    if (!file.IsOpen() || !file.WriteAll(content.data(), content.size()) || !file.Close()) {
        reporter.NoteTemporary(path, errno);
        return VORL_ERR_TEMP_FILE;
    }
    return VORL_OK;
}

int WriteIndexOutput(const VorlInformation &info, const RowLayout &layout, const IndexValues &values,
                     const WorkFiles &files, host::HostFile &body, const ConversionContext &reporter)
{
    switch (info.indexout) {
        case kIndexInFile: {
            std::string index = BuildBinaryIndex(info, layout, values);
            if (!body.WriteAllAt(index.data(), index.size(), 0)) {
                reporter.NoteTemporary(files.body, errno);
                return VORL_ERR_TEMP_FILE;
            }
            return VORL_OK;
        }
        case kIndexText:
            return WriteWholeFile(files.index, BuildHeaderText(info, values), reporter);
        case kIndexBinary:
            return WriteWholeFile(files.index, BuildBinaryIndex(info, layout, values), reporter);
        default:
            return VORL_OK;
    }
}

// The row whose item holds byte `offset` of the body: the last row, in
// row order, that stored an item starting at or before it. A skipped row
// carries the start of the next item, which the later row really holds.
int32_t RowHolding(const VorlInformation &info, const IndexValues &values, uint64_t offset)
{
    int32_t found = -1;
    for (int32_t row = 0; row < info.indexnum && static_cast<size_t>(row) < values.size(); ++row) {
        const IndexEntry &entry = info.entries[row];
        std::string_view name = FieldText(entry.filename);
        bool stored = entry.use == 1 && !name.empty() && !common::IsReference(name) && values[row] != kNoDataMarker;
        if (stored && values[row] * static_cast<uint64_t>(info.dataalign) <= offset) {
            found = row;
        }
    }
    return found;
}

// Verifying: the staged results against the outputs at their names. The
// data first, so that a difference is named by its entry where it can be.
int CompareWithOutputs(const VorlInformation &info, const RowLayout &layout, const IndexValues &values,
                       const WorkFiles &files, const std::string &dataPath,
                       const std::optional<std::string> &headerPath, const ConversionContext &reporter)
{
    if (auto offset = host::FirstDifference(files.body, dataPath)) {
        uint64_t indexBytes = info.indexout == kIndexInFile ? layout.indexBytes : 0;
        int32_t row = *offset >= indexBytes ? RowHolding(info, values, *offset - indexBytes) : -1;
        if (row >= 0) {
            reporter.NoteRow(row, FieldText(info.entries[row].filename));
        }
        reporter.NoteFile(dataPath, VORL_CAUSE_DIFFERS);
        return VORL_RESULT_DIFFERS;
    }
    if (headerPath && host::FirstDifference(files.index, *headerPath)) {
        reporter.NoteFile(*headerPath, VORL_CAUSE_DIFFERS);
        return VORL_RESULT_DIFFERS;
    }
    return VORL_OK;
}

// With running offsets a reader takes the last of several rows with one
// value for the row that holds the item and the earlier ones for rows
// without data: a row with data whose next row has its value (a shared
// entry right after it) reads as empty although it is not.
void TellLooksEmpty(const VorlInformation &info, const IndexValues &values, const std::vector<bool> &withData,
                    const ConversionContext &reporter)
{
    if (info.indexmode != 0 || info.indexout == kIndexNothing) {
        return;
    }
    for (size_t row = 0; row + 1 < values.size() && row < static_cast<size_t>(info.indexnum); ++row) {
        if (withData[row] && values[row] == values[row + 1]) {
            reporter.Notice(VORL_NOTICE_LOOKS_EMPTY, static_cast<int32_t>(row));
        }
    }
}

}  // namespace

int ConvertBlock(VorlInformation &info, const ConversionContext &reporter)
{
    if (int rc = CheckBlock(info, reporter); rc != VORL_OK) {
        return rc;
    }
    // Staging beside the user's files would take a file of a temporary's
    // name and remove it afterwards: the callers make a working directory.
    if (FieldText(info.workdir).empty()) {
        return VORL_ERR_WORK_DIRECTORY;
    }
    RowLayout layout = ComputeRowLayout(info);
    if (layout.rows > VORL_MAX_ROWS) {
        return VORL_ERR_INDEX_OVERFLOW;
    }
    auto dataPath = ResolveOutputPath(info, FieldText(info.datafile));
    if (!dataPath) {
        reporter.NoteFile(FieldText(info.datafile), VORL_CAUSE_UNWRITABLE, ENAMETOOLONG);
        return VORL_ERR_OUTPUT_FILE;
    }
    bool separateHeader = info.indexout == kIndexText || info.indexout == kIndexBinary;
    std::optional<std::string> headerPath;
    if (separateHeader && !FieldText(info.headerfile).empty()) {
        headerPath = ResolveOutputPath(info, FieldText(info.headerfile));
        if (!headerPath) {
            reporter.NoteFile(FieldText(info.headerfile), VORL_CAUSE_UNWRITABLE, ENAMETOOLONG);
            return VORL_ERR_OUTPUT_FILE;
        }
    }
    if (int rc = CheckOutputsAgainstInputs(info, *dataPath, headerPath, reporter); rc != VORL_OK) {
        return rc;
    }
    // Proves the data file can be written without putting anything at its
    // name: a file there before the pack is complete would pass for one.
    // Verifying writes nothing.
    if (!reporter.VerifyOnly() && !host::ProbeOutput(*dataPath)) {
        reporter.NoteOutput(*dataPath);
        return VORL_ERR_OUTPUT_FILE;
    }
    // Unwritable data still wins over a missing header name.
    if (separateHeader && !headerPath) {
        return VORL_ERR_NO_HEADER_NAME;
    }

    WorkFilesGuard guard(FieldText(info.workdir));
    const WorkFiles &files = guard.Files();
    host::HostFile body = host::HostFile::CreateTruncating(files.body);
    // In mode 0 the index goes in front of the body; its room is known
    // now, so the body is streamed behind it and the index filled in last.
    uint64_t reserved = info.indexout == kIndexInFile ? layout.indexBytes : 0;
    if (!body.IsOpen() || !body.SeekTo(static_cast<int64_t>(reserved))) {
        reporter.NoteTemporary(files.body, errno);
        return VORL_ERR_TEMP_FILE;
    }
    // An alias the table cannot hold is known now: no converter runs for
    // a run that must fail.
    if (info.indexout != kIndexNothing) {
        RangeFailure refused;
        if (int rc = CheckAliasRange(info, refused); rc != VORL_OK) {
            reporter.NoteRow(refused.row, FieldText(info.entries[refused.row].filename));
            reporter.NoteValueRange(refused.cause, refused.neededBytes);
            return rc;
        }
    }
    IndexValues values;
    std::vector<bool> withData;
    if (int rc = PackBody(info, layout, files, body, values, withData, reporter); rc != VORL_OK) {
        return rc;
    }
    if (info.indexout != kIndexNothing) {
        RangeFailure refused;
        if (int rc = CheckIndexRange(info, values, refused); rc != VORL_OK) {
            bool entryRow = refused.row >= 0 && refused.row < info.indexnum;
            reporter.NoteRow(refused.row, entryRow ? FieldText(info.entries[refused.row].filename) : "");
            reporter.NoteValueRange(refused.cause, refused.neededBytes);
            return rc;
        }
    }
    if (int rc = WriteIndexOutput(info, layout, values, files, body, reporter); rc != VORL_OK) {
        return rc;
    }
    if (!body.Close()) {
        reporter.NoteTemporary(files.body, errno);
        return VORL_ERR_TEMP_FILE;
    }

    if (reporter.VerifyOnly()) {
        int rc = CompareWithOutputs(info, layout, values, files, *dataPath, headerPath, reporter);
        TellLooksEmpty(info, values, withData, reporter);
        return rc;
    }
    std::vector<Placement> placements;
    if (headerPath) {
        placements.push_back({files.index, *headerPath});
    }
    placements.push_back({files.body, *dataPath});
    if (reporter.StagesOtherOutputs()) {
        const std::vector<std::string> &others = reporter.OtherOutputs();
        for (size_t i = 0; i < others.size(); ++i) {
            std::string staged = guard.AddFile("vorlother" + std::to_string(i) + ".tmp");
            errno = 0;
            if (!reporter.StageOtherOutput(static_cast<int32_t>(i), staged) || !host::RegularFileLength(staged)) {
                reporter.NoteOutput(others[i], errno);
                return VORL_ERR_OUTPUT_FILE;
            }
            placements.push_back({staged, others[i]});
        }
    }
    int rc = PlaceOutputs(placements, reporter);
    if (rc == VORL_OK) {
        TellLooksEmpty(info, values, withData, reporter);
    }
    return rc;
}

}  // namespace vorl
