#include "entry_file_name.h"

#include <string>
#include <utility>

#include "absolute_path.h"
#include "entry_reference.h"
#include "fixed_text.h"

namespace vorl {

namespace {

// One read runs on one thread from start to end.
thread_local std::string refusedName;

bool StoreOrRefuse(IndexEntry &entry, std::string_view name)
{
    if (StoreFieldText(entry.filename, name)) {
        return true;
    }
    refusedName = std::string(name);
    return false;
}

}  // namespace

bool StoreEntryFileName(IndexEntry &entry, std::string_view name, std::string_view prjdir)
{
    if (name.size() >= sizeof entry.filename) {
        refusedName = std::string(name);
        return false;
    }
    if (name.empty() || common::IsReference(name) || prjdir.empty()) {
        return StoreOrRefuse(entry, name);
    }
    return StoreOrRefuse(entry, MakeAbsolutePath(name, prjdir, host::HostRules()));
}

std::string TakeRefusedEntryName()
{
    return std::exchange(refusedName, std::string());
}

}  // namespace vorl
