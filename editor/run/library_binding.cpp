#include "library_binding.h"

#include <dlfcn.h>

namespace vorlmake {

constexpr const char *kLibraryName = "libvorl_cnv.so";
constexpr const char *kVersionedName = VORLMAKE_LIBRARY_SONAME;

LibraryBinding::LibraryBinding(std::string programFolder) : programFolder_(std::move(programFolder)) {}

LibraryBinding::~LibraryBinding()
{
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
}

bool LibraryBinding::Bind()
{
    if (handle_ != nullptr) {
        return true;
    }
    // Beside the program (the build tree), then in the library folder of
    // the install the program belongs to, then wherever the system looks.
    // The name with its major version comes first: an installed runtime
    // has that name only (the plain name belongs to the development files).
    const std::string installed = programFolder_ + "/" + VORLMAKE_LIBRARY_FROM_PROGRAM + "/";
    for (const std::string &path :
         {programFolder_ + "/" + kVersionedName, programFolder_ + "/" + kLibraryName, installed + kVersionedName,
          installed + kLibraryName, std::string(kVersionedName), std::string(kLibraryName)}) {
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) {
            break;
        }
    }
    if (handle_ == nullptr) {
        const char *why = dlerror();
        error_ = why != nullptr ? why : kLibraryName;
        return false;
    }
    for (const char *name :
         {"VorlGetDllVersion", "VorlGetErrorStrings", "VorlAbs2RelPath", "VorlRel2AbsPath", "VorlGetProjectFileVB",
          "VorlPutXMLPrjFileVB", "VorlReleaseInformation", "VorlConvertWithOptions"}) {
        if (Symbol(name) == nullptr) {
            error_ = std::string(kLibraryName) + ": " + name;
            dlclose(handle_);
            handle_ = nullptr;
            return false;
        }
    }
    return true;
}

void *LibraryBinding::Symbol(const char *name)
{
    return handle_ == nullptr ? nullptr : dlsym(handle_, name);
}

int LibraryBinding::GetDllVersion()
{
    return Call<int (*)()>("VorlGetDllVersion", 0);
}

int LibraryBinding::GetErrorStrings(int code, char *buffer, int size)
{
    return Call<int (*)(int, char *, int)>("VorlGetErrorStrings", -1, code, buffer, size);
}

int LibraryBinding::Abs2RelPath(const char *path, const char *base, char *out, int size)
{
    return Call<int (*)(const char *, const char *, char *, int)>("VorlAbs2RelPath", 0, path, base, out, size);
}

int LibraryBinding::Rel2AbsPath(const char *path, const char *base, char *out, int size)
{
    return Call<int (*)(const char *, const char *, char *, int)>("VorlRel2AbsPath", 0, path, base, out, size);
}

int LibraryBinding::GetProjectFileVB(VorlInformation *info, IndexEntry *table)
{
    return Call<int (*)(VorlInformation *, IndexEntry *)>("VorlGetProjectFileVB", VORL_ERR_NOT_INITIALIZED, info,
                                                          table);
}

int LibraryBinding::PutXMLPrjFileVB(VorlInformation *info, IndexEntry *table)
{
    return Call<int (*)(VorlInformation *, IndexEntry *)>("VorlPutXMLPrjFileVB", VORL_ERR_NOT_INITIALIZED, info, table);
}

int LibraryBinding::ReleaseInformation(VorlInformation *info)
{
    return Call<int (*)(VorlInformation *)>("VorlReleaseInformation", VORL_ERR_NOT_INITIALIZED, info);
}

int LibraryBinding::ConvertWithOptions(VorlInformation *info, const char *commandLine, VorlConvertOptions *options)
{
    return Call<int (*)(VorlInformation *, const char *, VorlConvertOptions *)>(
        "VorlConvertWithOptions", VORL_ERR_NOT_INITIALIZED, info, commandLine, options);
}

}  // namespace vorlmake
