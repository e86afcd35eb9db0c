#include "body_packer.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <functional>
#include <memory>

#include "converter_cache.h"
#include "converter_pool.h"
#include "converter_run.h"
#include "entry_reference.h"
#include "file_system.h"
#include "file_trouble.h"
#include "fixed_text.h"
#include "item_appender.h"
#include "path_rules.h"
#include "round_up.h"

namespace vorl {
namespace {

static_assert(common::kBeyondEveryRow == VORL_MAX_ROWS, "a reference past the table must name no row");

class Packer {
public:
    Packer(const VorlInformation &info, const WorkFiles &files, host::HostFile &body, IndexValues &values,
           std::vector<bool> &withData, const ConversionContext &reporter)
        : info_(info),
          files_(files),
          values_(values),
          withData_(withData),
          reporter_(reporter),
          align_(static_cast<uint64_t>(info.dataalign)),
          appender_(body)
    {
    }

    int PackAll()
    {
        std::unique_ptr<ConverterCache> cache;
        if (!reporter_.CacheFolder().empty()) {
            cache = std::make_unique<ConverterCache>(reporter_.CacheFolder(), reporter_.CacheLimit());
        }
        cache_ = cache.get();
        // A caller's stop flag also ends the converters that are running.
        if (reporter_.WatchesStopFlag()) {
            stopNow_ = [this] { return reporter_.Stopped(); };
        }
        std::unique_ptr<ConverterPool> pool;
        if (reporter_.Jobs() > 1) {
            pool = std::make_unique<ConverterPool>(info_, WorkFolder(), reporter_.Jobs(), cache_, stopNow_);
        }
        pool_ = pool.get();
        const auto rowCount = info_.indexnum;
        for (size_t row = 0; row < values_.size(); ++row) {
            const int32_t done = std::min(static_cast<int32_t>(row), rowCount);
            std::string_view next = row < static_cast<size_t>(rowCount) ? FieldText(info_.entries[row].filename) : "";
            // Rows past the table (the end entry, the interval's rounding)
            // are no entries of the caller's: the final call covers them.
            if (row < static_cast<size_t>(rowCount) && reporter_.AsksToStop(done, rowCount, next, running_ * align_)) {
                return VORL_ERR_CANCELLED;
            }
            int rc = PackRow(row);
            if (rc != VORL_OK) {
                // A converter ended by the signal that also stopped the run
                // is the stop, not a failure of its own.
                if (reporter_.Stopped() || reporter_.AsksToStop(done, rowCount, next, running_ * align_)) {
                    return VORL_ERR_CANCELLED;
                }
                reporter_.NoteRow(static_cast<int32_t>(row), FieldText(info_.entries[row].filename));
                return rc;
            }
        }
        if (!appender_.Flush()) {
            reporter_.NoteTemporary(files_.body, errno);
            return VORL_ERR_TEMP_FILE;
        }
        // Nothing is in place yet: a stop now still leaves the outputs as they were.
        return reporter_.AsksToStop(rowCount, rowCount, "", running_ * align_) ? VORL_ERR_CANCELLED : VORL_OK;
    }

private:
    uint64_t NoDataValue() const { return info_.indexmode == 1 ? kNoDataMarker : running_; }

    // `name`: the input to note as missing; empty when the failure is
    // noted already.
    int MissingRow(size_t row, std::string_view name)
    {
        if (info_.skipnofile == 0) {
            if (!name.empty()) {
                reporter_.NoteInput(name);
            }
            return VORL_ERR_FILE_NOT_FOUND;
        }
        values_[row] = NoDataValue();
        return VORL_OK;
    }

    int PackRow(size_t row)
    {
        if (row >= static_cast<size_t>(info_.indexnum) || info_.entries[row].use != 1) {
            values_[row] = NoDataValue();
            return VORL_OK;
        }
        const IndexEntry &entry = info_.entries[row];
        std::string_view name = FieldText(entry.filename);
        if (common::IsReference(name)) {
            return ShareRow(row, common::ReferencedRow(name));
        }
        host::HostFile input = host::HostFile::OpenForReading(name);
        // Skipping means a file that is not there: one that is there and
        // cannot be read (no permission, a folder, a pipe) fails the run,
        // whatever skipnofile says, or the pack would silently lack it.
        if (!input.IsOpen()) {
            host::FileTrouble trouble = host::WhyNotReadable(name);
            if (trouble.kind != host::TroubleKind::Missing && trouble.kind != host::TroubleKind::Empty) {
                reporter_.NoteInput(name);
                return VORL_ERR_FILE_NOT_FOUND;
            }
            reporter_.NoteMissing(name);
            return MissingRow(row, name);
        }
        // An empty input is a missing row before any converter sees it: a
        // compressor would turn nothing into a header-only item. It is
        // still read: the row fills when the file does.
        if (input.LengthAtOpen() <= 0) {
            reporter_.NoteRead(name, VORL_READ_INPUT);
            return MissingRow(row, name);
        }
        reporter_.NoteRead(name, VORL_READ_INPUT);
        bool converted = entry.convertnum != 0;
        int64_t itemLength = -1;
        if (converted && pool_ != nullptr) {
            input.Close();
            return StoreConverted(row, entry, name);
        }
        if (converted) {
            input.Close();
            // A stale result must never pass for this converter's output.
            host::RemoveFile(files_.pack);
            int exitCode = 0;
            int rc = RunConverterCached(info_, entry.convertnum, std::string(name), files_.pack, exitCode, itemLength,
                                        cache_, stopNow_);
            if (rc != VORL_OK) {
                reporter_.NoteConverter(name, exitCode);
                return rc;
            }
            input = host::HostFile::OpenForReading(files_.pack);
            if (!input.IsOpen()) {
                NoteNoOutput(entry, name);
                return VORL_ERR_FILE_NOT_FOUND;
            }
        }
        int rc = StoreItem(row, entry, input, converted ? std::string_view(files_.pack) : name, converted, itemLength);
        input.Close();
        if (converted) {
            host::RemoveFile(files_.pack);
        }
        return rc;
    }

    // A converter that succeeded and wrote nothing; from a slot that holds
    // no command nothing else could come.
    void NoteNoOutput(const IndexEntry &entry, std::string_view name) const
    {
        reporter_.NoteConverter(name, 0);
        std::string_view command = FieldText(info_.convert[entry.convertnum - 1]);
        bool blank =
            std::all_of(command.begin(), command.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
        if (blank) {
            reporter_.NoteFile(name, VORL_CAUSE_CONVERTER_SLOT);
        }
    }

    // A row whose converter ran in the pool: its result, taken in row order.
    int StoreConverted(size_t row, const IndexEntry &entry, std::string_view name)
    {
        const ConverterPool::Result &result = pool_->Wait(row);
        if (result.noInput) {
            reporter_.NoteMissing(name);
            return MissingRow(row, name);  // the input went away meanwhile
        }
        if (result.code != VORL_OK) {
            reporter_.NoteConverter(name, result.exitCode);
            return result.code;
        }
        host::HostFile output = host::HostFile::OpenForReading(result.output);
        if (!output.IsOpen()) {
            NoteNoOutput(entry, name);
            return VORL_ERR_FILE_NOT_FOUND;
        }
        int rc = StoreItem(row, entry, output, result.output, true, result.itemLength);
        output.Close();
        pool_->Release(row);
        return rc;
    }

    // The working directory: the folder of the work files.
    std::string WorkFolder() const
    {
        size_t separator = host::HostRules().LastSeparator(files_.body);
        return separator == std::string::npos ? std::string() : files_.body.substr(0, separator + 1);
    }

    // A reference shares the value of an earlier row and stores nothing.
    // One to its own row, a later one, one outside the table or no number
    // at all would silently take another row's data: it is refused.
    int ShareRow(size_t row, int64_t target)
    {
        if (target < 0 || static_cast<size_t>(target) >= row) {
            return VORL_ERR_FORWARD_REFERENCE;
        }
        values_[row] = values_[static_cast<size_t>(target)];
        withData_[row] = withData_[static_cast<size_t>(target)];
        return VORL_OK;
    }

    // `input` comes from OpenForReading, which measured it as it checked
    // it; the item is all of it, or its first `itemLength` bytes (a cache
    // entry ends in its checksum).
    int StoreItem(size_t row, const IndexEntry &entry, host::HostFile &input, std::string_view source,
                  bool fromConverter, int64_t itemLength)
    {
        int64_t measured = itemLength >= 0 ? std::min(itemLength, input.LengthAtOpen()) : input.LengthAtOpen();
        if (measured <= 0) {
            // A converter that wrote nothing is the converter's failure.
            if (fromConverter) {
                if (info_.skipnofile == 0) {
                    NoteNoOutput(entry, FieldText(entry.filename));
                }
                return MissingRow(row, {});
            }
            return MissingRow(row, source);
        }
        uint64_t length = static_cast<uint64_t>(measured);
        uint64_t stored = entry.filesize;
        if (stored == 0) {
            stored = length;
        } else if (length >= stored) {
            length = stored;
        }
        stored = common::RoundUp(stored, align_);
        uint64_t next = running_ + stored / align_;
        // With running offsets the end entry will hold `next`: a value the
        // table cannot hold, or its all-ones marker, is refused before its
        // bytes are written.
        if (info_.indexout != kIndexNothing && info_.indexmode == 0 && next >= kLargestIndexValue) {
            reporter_.NoteValueRange(VORL_CAUSE_INDEX_VALUE, IndexWidthHolding(next));
            return VORL_ERR_INDEX_RANGE;
        }
        switch (appender_.Append(input, length)) {
            case host::CopyResult::Copied:
                break;
            case host::CopyResult::SourceEndedEarly:
                reporter_.NoteFile(source, VORL_CAUSE_UNREADABLE);
                return VORL_ERR_FILE_NOT_FOUND;
            case host::CopyResult::ReadFailed:
                reporter_.NoteInput(source);
                return VORL_ERR_FILE_NOT_FOUND;
            case host::CopyResult::WriteFailed:
                reporter_.NoteTemporary(files_.body, errno);
                return VORL_ERR_TEMP_FILE;
        }
        if (!appender_.AppendZeros(stored - length)) {
            reporter_.NoteTemporary(files_.body, errno);
            return VORL_ERR_TEMP_FILE;
        }
        values_[row] = running_;
        withData_[row] = true;
        running_ = next;
        return VORL_OK;
    }

    const VorlInformation &info_;
    const WorkFiles &files_;
    IndexValues &values_;
    std::vector<bool> &withData_;
    const ConversionContext &reporter_;
    ConverterPool *pool_ = nullptr;
    ConverterCache *cache_ = nullptr;
    std::function<bool()> stopNow_;
    const uint64_t align_;
    uint64_t running_ = 0;
    host::ItemAppender appender_;
};

}  // namespace

int PackBody(const VorlInformation &info, const RowLayout &layout, const WorkFiles &files, host::HostFile &body,
             IndexValues &values, std::vector<bool> &withData, const ConversionContext &reporter)
{
    values.assign(static_cast<size_t>(layout.rows), 0);
    withData.assign(static_cast<size_t>(layout.rows), false);
    return Packer(info, files, body, values, withData, reporter).PackAll();
}

}  // namespace vorl
