#include "command_line_conversion.h"

#include <cstring>
#include <vector>

#include "argument_splitter.h"
#include "command_arguments.h"
#include "convert_pipeline.h"
#include "legacy_reader.h"
#include "vorl_cnv.h"
#include "work_directory.h"

namespace vorl {

int ConvertCommandLine(const char *commandLine, const ConversionContext &reporter, const char *workbase)
{
    if (commandLine == nullptr || *commandLine == '\0') {
        return VORL_ERR_BAD_ACCESS;
    }
    size_t length = std::strlen(commandLine);
    if (length > kMaxCommandLineBytes) {
        return VORL_ERR_CMDLINE_TOO_LONG;
    }
    SplitResult split = SplitCommandLine(std::string_view(commandLine, length));
    if (split.code == VORL_OK && split.arguments.empty()) {
        return VORL_OK;  // only blanks: nothing to convert, nothing made
    }
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    if (int rc = SetupWorkDirectory(info, workbase, reporter); rc != VORL_OK) {
        return rc;
    }
    ReleaseOnExit release(info);
    std::vector<EntryOrigin> origins;
    int rc = split.code;
    if (rc == VORL_OK) {
        rc = ParseCommandArguments(info, split.arguments, &origins, reporter);
    }
    if (rc == VORL_OK) {
        rc = ReadLegacyEntries(info);
    }
    if (rc == VORL_OK) {
        rc = ConvertBlock(info, reporter);
        // A row's failure names the entry as it was written and where.
        int32_t row = reporter.Row();
        if (rc != VORL_OK && row >= 0 && static_cast<size_t>(row) < origins.size()) {
            const EntryOrigin &origin = origins[static_cast<size_t>(row)];
            reporter.NoteRow(row, origin.entry, origin.listFile, origin.line);
        }
    }
    return rc;
}

}  // namespace vorl
