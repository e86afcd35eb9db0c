// vorlcnv --version: the versions of vorlcnv, of the library it runs with
// and of the project format that library writes.
#pragma once

namespace vorlcnv {

// Prints them on standard output. The exit status.
int PrintVersion();

}  // namespace vorlcnv
