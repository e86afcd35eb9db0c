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
    int GetErrorStrings(int code, char *buffer, int size) override;
    int Abs2RelPath(const char *path, const char *base, char *out, int size) override;
    int Rel2AbsPath(const char *path, const char *base, char *out, int size) override;
    int GetProjectFileVB(VorlInformation *info, IndexEntry *table) override;
    int PutXMLPrjFileVB(VorlInformation *info, IndexEntry *table) override;
    int ReleaseInformation(VorlInformation *info) override;
    int ConvertWithOptions(VorlInformation *info, const char *commandLine, VorlConvertOptions *options) override;

private:
    void *Symbol(const char *name);
    template <typename Function, typename... Arguments>
    int Call(const char *name, int unbound, Arguments... arguments)
    {
        if (!Bind()) {
            return unbound;
        }
        auto function = reinterpret_cast<Function>(Symbol(name));
        return function == nullptr ? unbound : function(arguments...);
    }
    std::string programFolder_;
    void *handle_ = nullptr;
    std::string error_;
};

}  // namespace vorlmake
