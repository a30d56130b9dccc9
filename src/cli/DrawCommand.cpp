// Placeholder until the draw command lands: this whole file is replaced then.
#include "cli/CliCommand.h"

int cli::RunDrawCommand(TInvocation&)
{
    WriteErr("tinselwick-cli draw: not available yet\n");
    return kExitUsageError;
}
