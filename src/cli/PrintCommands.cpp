// Placeholder until the print commands land: this whole file is replaced then.
#include "cli/CliCommand.h"

int cli::RunLettersCommand(TInvocation&)
{
    WriteErr("tinselwick-cli letters: not available yet\n");
    return kExitUsageError;
}

int cli::RunListCommand(TInvocation&)
{
    WriteErr("tinselwick-cli list: not available yet\n");
    return kExitUsageError;
}
