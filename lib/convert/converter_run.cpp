#include "converter_run.h"

#include "converter_cache.h"
#include "fixed_text.h"
#include "shell_runner.h"
#include "template_expansion.h"

namespace vorl {

int RunConverter(const VorlInformation &info, int slot, const std::string &input, const std::string &output,
                 int &exitCode, const std::function<bool()> &stopNow)
{
    std::string command = ExpandTemplateForShell(FieldText(info.convert[slot - 1]), {input, output});
    int status = host::RunShellCommand(command, {{kInputVariable, input}, {kOutputVariable, output}}, stopNow);
    // A converter that fails (an encoder that exits non-zero, one that is
    // not installed, one killed by a signal) fails the conversion: what it
    // left behind is never packed.
    exitCode = host::ExitCodeOf(status);
    return status == 0 ? VORL_OK : VORL_ERR_EXTERNAL_COMMAND;
}

int RunConverterCached(const VorlInformation &info, int slot, const std::string &input, const std::string &output,
                       int &exitCode, int64_t &itemLength, ConverterCache *cache, const std::function<bool()> &stopNow)
{
    itemLength = -1;
    if (cache == nullptr || !cache->Usable()) {
        return RunConverter(info, slot, input, output, exitCode, stopNow);
    }
    auto key = cache->KeyOf(std::string(FieldText(info.convert[slot - 1])), input);
    if (key) {
        if (auto stored = cache->Fetch(*key, output)) {
            itemLength = *stored;
            return VORL_OK;
        }
    }
    int rc = RunConverter(info, slot, input, output, exitCode, stopNow);
    if (rc == VORL_OK && key) {
        cache->Store(*key, output);
    }
    return rc;
}

}  // namespace vorl
