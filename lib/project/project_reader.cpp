#include "project_reader.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "cleared_table.h"
#include "legacy_reader.h"
#include "xml_reader.h"

namespace vorl {

namespace {

// What is known of a block's table: the rows of one a read made for it,
// or that it is a table the caller handed in. The block's fixed layout has
// no room to say either. A reader finding a table in place takes it for
// one of the room the caller promised, so without this a second read of a
// larger project into the same block would write past the first one's
// table; and a release would free a caller's table it never owned.
// Known only while the block still holds that very table.
struct KnownTable {
    IndexEntry *table;
    size_t rows;  // 0 for a caller's table
};

// The records, destroyed with the library: a program that unloads it
// leaves nothing behind. A release that comes from a host program's own
// exit code after that finds them gone and knows nothing, as for a block
// no read has touched (the lock's destructor does nothing).
struct KnownTables {
    std::map<const VorlInformation *, KnownTable> byBlock;
    bool alive = true;
    ~KnownTables() { alive = false; }
};
std::mutex knownTablesLock;
KnownTables knownTables;
using HoldKnownTables = std::lock_guard<std::mutex>;

// The rows of the block's table when it is one a read made for it, else 0.
size_t OwnRows(const VorlInformation &info)
{
    HoldKnownTables hold(knownTablesLock);
    if (!knownTables.alive) {
        return 0;
    }
    auto found = knownTables.byBlock.find(&info);
    return found != knownTables.byBlock.end() && found->second.table == info.entries ? found->second.rows : 0;
}

void Remember(const VorlInformation &info, size_t rows)
{
    HoldKnownTables hold(knownTablesLock);
    if (knownTables.alive) {
        knownTables.byBlock[&info] = KnownTable{info.entries, rows};
    }
}

// A table of the block's own that has fewer rows than any project may
// have is moved into one that has the most: the count of the new project
// is known only once its header has been read, and the readers treat the
// table in place as one of sufficient room. The rows already there stay
// as they were, as they would in a table of enough room.
int MakeRoomForAnyProject(VorlInformation &info)
{
    const size_t rows = OwnRows(info);
    if (rows == 0 || rows >= VORL_MAX_ENTRIES) {
        return VORL_OK;
    }
    auto *grown = static_cast<IndexEntry *>(host::AllocateClearedTable(VORL_MAX_ENTRIES, sizeof(IndexEntry)));
    if (grown == nullptr) {
        return VORL_ERR_NO_MEMORY;
    }
    std::memcpy(grown, info.entries, rows * sizeof(IndexEntry));
    std::free(info.entries);
    info.entries = grown;
    Remember(info, VORL_MAX_ENTRIES);
    return VORL_OK;
}

int ReadEitherFormat(VorlInformation &info)
{
    int rc = ReadLegacyHeader(info);
    if (rc == VORL_OK) {
        return ReadLegacyEntries(info);
    }
    if (rc == VORL_ERR_NOT_A_PROJECT) {
        return ReadXmlProject(info);
    }
    return rc;
}

}  // namespace

int ReadProjectFile(VorlInformation &info)
{
    if (int rc = MakeRoomForAnyProject(info); rc != VORL_OK) {
        return rc;
    }
    // A file that cannot be read to its end leaves the block as it was: a
    // shortened project must never pass for the whole one (and be saved
    // over it).
    const VorlInformation before = info;
    int rc = ReadEitherFormat(info);
    if (rc == VORL_ERR_PRJ_NOT_FOUND) {
        if (info.entries != before.entries) {
            std::free(info.entries);  // the table this read made
        }
        info = before;
    } else if (info.entries != nullptr && info.entries != before.entries) {
        // Both readers make the table only once the count is known, and
        // the count does not change after that.
        Remember(info, static_cast<size_t>(info.indexnum));
    }
    return rc;
}

void UseCallersTable(VorlInformation &info, IndexEntry *table)
{
    info.entries = table;
    Remember(info, 0);
}

bool HoldsCallersTable(const VorlInformation &info)
{
    HoldKnownTables hold(knownTablesLock);
    if (!knownTables.alive) {
        return false;
    }
    auto found = knownTables.byBlock.find(&info);
    return found != knownTables.byBlock.end() && found->second.rows == 0 && found->second.table == info.entries &&
           info.entries != nullptr;
}

void ForgetTable(const VorlInformation &info)
{
    HoldKnownTables hold(knownTablesLock);
    if (knownTables.alive) {
        knownTables.byBlock.erase(&info);
    }
}

}  // namespace vorl
