// vorlcnv --help: how every mode and option is used, and what each exit
// status means.
#pragma once

namespace vorlcnv {

// Prints the text on standard output. The exit status.
int PrintHelp();

}  // namespace vorlcnv
