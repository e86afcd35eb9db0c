#include "entry_file_name.h"

#include <string>

#include "absolute_path.h"
#include "entry_reference.h"
#include "fixed_text.h"

namespace vorl {

bool StoreEntryFileName(IndexEntry &entry, std::string_view name, std::string_view prjdir)
{
    if (name.size() >= sizeof entry.filename) {
        return false;
    }
    if (name.empty() || common::IsReference(name) || prjdir.empty()) {
        return StoreFieldText(entry.filename, name);
    }
    return StoreFieldText(entry.filename, MakeAbsolutePath(name, prjdir, host::HostRules()));
}

}  // namespace vorl
