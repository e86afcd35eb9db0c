#include "converter_run.h"

#include "fixed_text.h"
#include "shell_runner.h"
#include "template_expansion.h"

namespace vorl {

int RunConverter(const VorlInformation &info, int slot, const std::string &input, const std::string &output)
{
    std::string command = ExpandTemplateForShell(FieldText(info.convert[slot - 1]), {input, output});
    int status = host::RunShellCommand(command, {{kInputVariable, input}, {kOutputVariable, output}});
    return status == -1 ? VORL_ERR_EXTERNAL_COMMAND : VORL_OK;
}

}  // namespace vorl
