// The conversion library, bound by its name at the first call: the
// program's own folder first, then the system's search path. Its exports
// are looked up by name.
#pragma once

#include <string>

#include "editor_host.h"

namespace vorlmake {

class LibraryBinding : public LibraryApi {
public:
    explicit LibraryBinding(std::string programFolder);
    ~LibraryBinding() override;

    // False when the library cannot be found or lacks an export the
    // editor calls; Error() then says why.
    bool Bind();
    const std::string &Error() const { return error_; }

    int GetDllVersion() override;

private:
    void *Symbol(const char *name);
    std::string programFolder_;
    void *handle_ = nullptr;
    std::string error_;
};

}  // namespace vorlmake
