#include "library_binding.h"

#include <dlfcn.h>

namespace vorlmake {

constexpr const char *kLibraryName = "libvorl_cnv.so";

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
    handle_ = dlopen((programFolder_ + "/" + kLibraryName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        handle_ = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    }
    if (handle_ == nullptr) {
        const char *why = dlerror();
        error_ = why != nullptr ? why : kLibraryName;
        return false;
    }
    if (Symbol("VorlGetDllVersion") == nullptr) {
        error_ = std::string(kLibraryName) + ": VorlGetDllVersion";
        return false;
    }
    return true;
}

void *LibraryBinding::Symbol(const char *name)
{
    return handle_ == nullptr ? nullptr : dlsym(handle_, name);
}

int LibraryBinding::GetDllVersion()
{
    if (!Bind()) {
        return 0;
    }
    using Function = int (*)();
    return reinterpret_cast<Function>(Symbol("VorlGetDllVersion"))();
}

}  // namespace vorlmake
