#include "converter_run.h"

#include "fixed_text.h"
#include "shell_runner.h"
#include "template_expansion.h"

namespace vorl {

int RunConverter(const VorlInformation &info, int slot, const std::string &input, const std::string &output,
                 int &exitCode)
{
    std::string command = ExpandTemplateForShell(FieldText(info.convert[slot - 1]), {input, output});
    int status = host::RunShellCommand(command, {{kInputVariable, input}, {kOutputVariable, output}});
    // A converter that fails (an encoder that exits non-zero, one that is
    // not installed, one killed by a signal) fails the conversion: what it
    // left behind is never packed.
    exitCode = host::ExitCodeOf(status);
    return status == 0 ? VORL_OK : VORL_ERR_EXTERNAL_COMMAND;
}

}  // namespace vorl
