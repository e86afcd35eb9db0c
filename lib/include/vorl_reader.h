/*
 * vorl_reader.h - finding a pack's items through its binary index, in the
 * program that consumes the pack.
 *
 * This header stands alone: it needs only <stddef.h> and <stdint.h>, never
 * allocates, never links against the library, and compiles as C99 and as
 * C++. Every function is static inline. Nothing is ever read outside the
 * buffers handed in: a truncated or hostile index makes the opening
 * function fail with a negative VORL_READER_ERR_* code instead.
 *
 * The binary index is an 8-byte head (four id bytes, the row count as a
 * little-endian 16-bit number, then a little-endian 16-bit format word),
 * one index value per row, and one alias value per row when the pack has
 * an alias table. The format word holds the alignment as a count of
 * halvings (bits 0-3), the index width (bits 4-5: 0 four bytes, 1 two,
 * 2 eight, 3 one), the byte order of the values (bit 6: most significant
 * byte first), the alias width (bits 11-12, coded as the index width), the
 * presence of the alias table (bit 13) and whether the index is a file of
 * its own (bit 14). A pack with its index in front of the data pads the
 * index with zeros to the alignment; the body follows. An index value
 * counts alignment units from the start of the body.
 *
 * Reading the rows:
 *   - A value with every bit of its width set is a row without data (an
 *     8-byte index may also hold 0xFFFFFFFF, as the library writes it).
 *   - A value that reaches the end of the body is a row without data: the
 *     end row of a pack with running offsets, and the rows after it.
 *   - A pack has running offsets when its last value is exactly the end of
 *     the body. There a row without data holds the offset of the next item
 *     stored, so of several rows with one offset, the ones before the row
 *     that stored the item have no data; those after the next greater
 *     offset share it.
 *     Without running offsets the first row with an offset holds its item.
 *   - The row that holds an item is its owner; other rows with the same
 *     item share it with the owner.
 *   - An item's stored size runs from its offset to the first greater
 *     offset that follows its owner in the table, or to the end of the
 *     body. It includes the zeros that pad the item to the alignment.
 *
 * With running offsets, rows with one offset and no greater offset between
 * them look alike: the last of them is read as the row that stored the
 * item, the earlier ones as rows without data. A row that shares an item,
 * or copies a row without data, before any later item is stored is thus
 * read as the item's row, and the row that really stored it as a row
 * without data. Packs made with the all-ones value for rows without data
 * (vorlcnv -i) read without that ambiguity.
 */
#ifndef VORL_READER_H
#define VORL_READER_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define VORL_READER_CAST(type, value) (static_cast<type>(value))
#if __cplusplus >= 201103L
#define VORL_READER_NULL nullptr
#else
#define VORL_READER_NULL NULL
#endif
#else
#define VORL_READER_CAST(type, value) ((type)(value))
#define VORL_READER_NULL NULL
#endif

/* What the functions return. The codes below zero are failures. */
enum VorlReaderStatus {
    VORL_READER_OK = 0,             /* done                                          */
    VORL_READER_NO_DATA = 1,        /* VorlReaderItem: the row has no item           */
    VORL_READER_ERR_ARGUMENT = -1,  /* a null pointer, or a head longer than its pack */
    VORL_READER_ERR_SHORT = -2,     /* the bytes end before the index does           */
    VORL_READER_ERR_FORMAT = -3,    /* a format word or row count no pack has        */
    VORL_READER_ERR_KIND = -4,      /* a separate index given as a pack, or reverse  */
    VORL_READER_ERR_BODY_SIZE = -5, /* the body is no whole number of units          */
    VORL_READER_ERR_OUTSIDE = -6,   /* an index value points past the body's end     */
    VORL_READER_ERR_ROW = -7,       /* no such row                                   */
    VORL_READER_ERR_NO_ALIAS = -8   /* the index has no alias table                  */
};

/* An opened index. VorlReaderOpen and its siblings fill every field; the
 * fields may be read, never changed. The pointers point into the caller's
 * buffers, which must outlive the index. */
typedef struct VorlReaderIndex {
    const unsigned char *values;  /* the first index value                          */
    const unsigned char *aliases; /* the first alias value; null without aliases   */
    const unsigned char *body;    /* the body of a pack opened whole, else null     */
    size_t rows;                  /* the row count of the head                      */
    size_t tableSize;             /* head, index values and alias values in bytes   */
    size_t indexSize;             /* in a pack: the bytes in front of the body      */
    size_t bodyStart;             /* where the body starts in a pack; 0 if separate */
    size_t bodySize;              /* the body's length in bytes                     */
    size_t alignment;             /* item alignment and value unit in bytes         */
    unsigned formatWord;          /* the head's format word as stored               */
    unsigned indexWidth;          /* 1, 2, 4 or 8 bytes                             */
    unsigned aliasWidth;          /* 1, 2, 4 or 8 bytes; 0 without an alias table   */
    int mostSignificantFirst;     /* 1 when values store their high byte first      */
    int separate;                 /* 1 for an index file of its own                 */
    int runningOffsets;           /* 1 when rows without data hold running offsets  */
    unsigned char id[4];          /* the head's four id bytes                       */
} VorlReaderIndex;

/* One row as read. */
typedef struct VorlReaderEntry {
    uint64_t value; /* the index value as stored                      */
    uint64_t alias; /* the alias as stored, 0 without an alias table  */
    size_t offset;  /* the item's first byte in the body (see below)  */
    size_t size;    /* its stored size in bytes; 0 without data       */
    size_t owner;   /* the row that holds the item (this row if own)  */
    int hasData;    /* 1 when the row has an item                     */
    int marked;     /* 1 when the value is the all-ones mark          */
} VorlReaderEntry;

/* The place of a walk through the rows; see VorlReaderNextRow. */
typedef struct VorlReaderCursor {
    size_t row;       /* the next row to read                           */
    uint64_t highest; /* the greatest unmarked value before it          */
    int seen;         /* 1 once `highest` holds a value                 */
} VorlReaderCursor;

/* ----------------------------------------------------------------------- */
/* Inner workings; not for callers.                                        */
/* ----------------------------------------------------------------------- */

static inline uint64_t VorlReaderInnerRead(const unsigned char *at, unsigned width, int mostSignificantFirst)
{
    uint64_t value = 0;
    unsigned i;
    for (i = 0; i < width; ++i) {
        unsigned shift = 8u * (mostSignificantFirst ? width - 1u - i : i);
        value |= VORL_READER_CAST(uint64_t, at[i]) << shift;
    }
    return value;
}

static inline unsigned VorlReaderInnerWidth(unsigned code)
{
    static const unsigned char widths[4] = {4, 2, 8, 1};
    return widths[code & 3u];
}

/* Callers have checked `row` against the row count. */
static inline uint64_t VorlReaderInnerValue(const VorlReaderIndex *index, size_t row)
{
    return VorlReaderInnerRead(index->values + row * index->indexWidth, index->indexWidth, index->mostSignificantFirst);
}

static inline int VorlReaderInnerMarked(const VorlReaderIndex *index, uint64_t value)
{
    switch (index->indexWidth) {
        case 1:
            return value == 0xFFu;
        case 2:
            return value == 0xFFFFu;
        case 4:
            return value == 0xFFFFFFFFu;
        default:
            return value == 0xFFFFFFFFu || value == ~VORL_READER_CAST(uint64_t, 0);
    }
}

/* Reads the head into `out`: widths, rows and the table's size. */
static inline int VorlReaderInnerHead(const unsigned char *head, size_t headSize, VorlReaderIndex *out)
{
    const size_t largest = VORL_READER_CAST(size_t, -1);
    unsigned rows;
    unsigned word;
    size_t perRow;
    unsigned i;
    if (headSize < 8) {
        return VORL_READER_ERR_SHORT;
    }
    for (i = 0; i < 4; ++i) {
        out->id[i] = head[i];
    }
    rows = head[4] | VORL_READER_CAST(unsigned, head[5]) << 8;
    word = head[6] | VORL_READER_CAST(unsigned, head[7]) << 8;
    out->formatWord = word;
    /* Bits 7 to 10 and 15 are never set, nor an alias width without the
     * table; a pack has at least one row. */
    if ((word & 0x8780u) != 0 || ((word & 0x2000u) == 0 && (word & 0x1800u) != 0) || rows == 0) {
        return VORL_READER_ERR_FORMAT;
    }
    out->rows = rows;
    out->alignment = VORL_READER_CAST(size_t, 1) << (word & 0xFu);
    out->indexWidth = VorlReaderInnerWidth(word >> 4);
    out->mostSignificantFirst = (word >> 6) & 1u ? 1 : 0;
    out->aliasWidth = (word & 0x2000u) != 0 ? VorlReaderInnerWidth(word >> 11) : 0u;
    out->separate = (word >> 14) & 1u ? 1 : 0;
    perRow = out->indexWidth + out->aliasWidth;
    /* Only a very small size_t cannot hold a whole index. */
    if (out->rows > (largest - 8u - out->alignment) / perRow) {
        return VORL_READER_ERR_SHORT;
    }
    out->tableSize = 8u + out->rows * perRow;
    out->indexSize = out->tableSize;
    if (!out->separate) {
        out->indexSize = (out->tableSize + out->alignment - 1u) / out->alignment * out->alignment;
    }
    return VORL_READER_OK;
}

/* The body's size and every value are checked once here, so that reading
 * a row later never needs to. */
static inline int VorlReaderInnerCheckBody(VorlReaderIndex *index)
{
    size_t units = index->bodySize / index->alignment;
    size_t row;
    uint64_t last;
    if (index->bodySize % index->alignment != 0) {
        return VORL_READER_ERR_BODY_SIZE;
    }
    for (row = 0; row < index->rows; ++row) {
        uint64_t value = VorlReaderInnerValue(index, row);
        if (value > units && !VorlReaderInnerMarked(index, value)) {
            return VORL_READER_ERR_OUTSIDE;
        }
    }
    last = VorlReaderInnerValue(index, index->rows - 1u);
    index->runningOffsets = last == units ? 1 : 0;
    return VORL_READER_OK;
}

static inline void VorlReaderInnerClear(VorlReaderIndex *index)
{
    unsigned i;
    index->values = VORL_READER_NULL;
    index->aliases = VORL_READER_NULL;
    index->body = VORL_READER_NULL;
    index->rows = 0;
    index->tableSize = 0;
    index->indexSize = 0;
    index->bodyStart = 0;
    index->bodySize = 0;
    index->alignment = 1;
    index->formatWord = 0;
    index->indexWidth = 0;
    index->aliasWidth = 0;
    index->mostSignificantFirst = 0;
    index->separate = 0;
    index->runningOffsets = 0;
    for (i = 0; i < 4; ++i) {
        index->id[i] = 0;
    }
}

static inline void VorlReaderInnerPlaceTables(VorlReaderIndex *index, const unsigned char *head)
{
    index->values = head + 8;
    if (index->aliasWidth != 0) {
        index->aliases = index->values + index->rows * index->indexWidth;
    }
}

/* Fills `entry` for `row`. With `known` set, `highest` is the greatest
 * unmarked value of the rows before it, which spares the search for an
 * earlier row with the same value where there can be none. */
static inline void VorlReaderInnerClassify(const VorlReaderIndex *index, size_t row, int known, uint64_t highest,
                                           VorlReaderEntry *entry)
{
    const int running = index->runningOffsets;
    uint64_t value = VorlReaderInnerValue(index, row);
    size_t owner = row;
    size_t end = index->bodySize;
    size_t j;
    entry->value = value;
    entry->alias = 0;
    if (index->aliasWidth != 0) {
        entry->alias = VorlReaderInnerRead(index->aliases + row * index->aliasWidth, index->aliasWidth,
                                           index->mostSignificantFirst);
    }
    entry->offset = 0;
    entry->size = 0;
    entry->owner = row;
    entry->hasData = 0;
    entry->marked = 0;
    if (VorlReaderInnerMarked(index, value)) {
        entry->marked = 1;
        return;
    }
    entry->offset = VORL_READER_CAST(size_t, value) * index->alignment;
    if (entry->offset >= index->bodySize) {
        return;
    }
    /* The owner is found from the first row with this value. */
    if (!known || (running ? value < highest : value <= highest)) {
        for (j = 0; j < row; ++j) {
            if (VorlReaderInnerValue(index, j) == value) {
                owner = j;
                break;
            }
        }
    }
    for (j = owner + 1u; j < index->rows; ++j) {
        uint64_t other = VorlReaderInnerValue(index, j);
        if (other < value || VorlReaderInnerMarked(index, other)) {
            continue;
        }
        if (other > value) {
            end = VORL_READER_CAST(size_t, other) * index->alignment;
            break;
        }
        if (running) {
            /* An earlier row with the same running offset had no data. */
            owner = j;
            if (owner > row) {
                return;
            }
        }
    }
    entry->owner = owner;
    entry->size = end - entry->offset;
    entry->hasData = 1;
}

/* ----------------------------------------------------------------------- */
/* Opening                                                                 */
/* ----------------------------------------------------------------------- */

/* How many bytes an index takes, read from its first `headSize` bytes (at
 * least 8): for a pack the bytes in front of its body, padding included,
 * for a separate index its whole table. Lets a program that reads a pack
 * from storage load the index alone. `head` stays the caller's. Returns
 * VORL_READER_OK with `*indexSize` set, or a negative code. */
static inline int VorlReaderIndexSize(const void *head, size_t headSize, size_t *indexSize)
{
    VorlReaderIndex index;
    int status;
    if (head == VORL_READER_NULL || indexSize == VORL_READER_NULL) {
        return VORL_READER_ERR_ARGUMENT;
    }
    VorlReaderInnerClear(&index);
    status = VorlReaderInnerHead(VORL_READER_CAST(const unsigned char *, head), headSize, &index);
    if (status == VORL_READER_OK) {
        *indexSize = index.indexSize;
    }
    return status;
}

/* Opens a separate binary index: `indexSize` bytes at `index` (at least
 * its table; more are ignored) that describe a data file of `bodySize`
 * bytes. The index keeps pointing into `index`, which stays the caller's
 * and must outlive `out`. Returns VORL_READER_OK, or a negative code with
 * `out` emptied (no rows): VORL_READER_ERR_KIND when the bytes are the
 * index from the front of a pack, VORL_READER_ERR_BODY_SIZE or
 * VORL_READER_ERR_OUTSIDE when the body cannot be the one indexed. */
static inline int VorlReaderOpen(VorlReaderIndex *out, const void *index, size_t indexSize, size_t bodySize)
{
    const unsigned char *bytes = VORL_READER_CAST(const unsigned char *, index);
    int status;
    if (out == VORL_READER_NULL) {
        return VORL_READER_ERR_ARGUMENT;
    }
    VorlReaderInnerClear(out);
    if (index == VORL_READER_NULL) {
        return VORL_READER_ERR_ARGUMENT;
    }
    status = VorlReaderInnerHead(bytes, indexSize, out);
    if (status == VORL_READER_OK && !out->separate) {
        status = VORL_READER_ERR_KIND;
    }
    if (status == VORL_READER_OK && indexSize < out->tableSize) {
        status = VORL_READER_ERR_SHORT;
    }
    if (status == VORL_READER_OK) {
        VorlReaderInnerPlaceTables(out, bytes);
        out->bodySize = bodySize;
        status = VorlReaderInnerCheckBody(out);
    }
    if (status != VORL_READER_OK) {
        VorlReaderInnerClear(out);
    }
    return status;
}

/* Opens a pack with its index in front from its first `headSize` bytes,
 * which hold at least the index table (the padding after it may be left
 * out), when the whole pack is `packSize` bytes long. For programs that
 * load the index alone; the items are then read at VorlReaderBodyStart
 * plus their offset. `head` stays the caller's and must outlive `out`.
 * Returns VORL_READER_OK, or a negative code with `out` emptied:
 * VORL_READER_ERR_ARGUMENT for a head longer than the pack,
 * VORL_READER_ERR_KIND for a separate index. */
static inline int VorlReaderOpenPackHead(VorlReaderIndex *out, const void *head, size_t headSize, size_t packSize)
{
    const unsigned char *bytes = VORL_READER_CAST(const unsigned char *, head);
    int status;
    if (out == VORL_READER_NULL) {
        return VORL_READER_ERR_ARGUMENT;
    }
    VorlReaderInnerClear(out);
    if (head == VORL_READER_NULL || headSize > packSize) {
        return VORL_READER_ERR_ARGUMENT;
    }
    status = VorlReaderInnerHead(bytes, headSize, out);
    if (status == VORL_READER_OK && out->separate) {
        status = VORL_READER_ERR_KIND;
    }
    if (status == VORL_READER_OK && (headSize < out->tableSize || packSize < out->indexSize)) {
        status = VORL_READER_ERR_SHORT;
    }
    if (status == VORL_READER_OK) {
        VorlReaderInnerPlaceTables(out, bytes);
        out->bodyStart = out->indexSize;
        out->bodySize = packSize - out->indexSize;
        status = VorlReaderInnerCheckBody(out);
    }
    if (status != VORL_READER_OK) {
        VorlReaderInnerClear(out);
    }
    return status;
}

/* Opens a whole pack with its index in front: `packSize` bytes at `pack`.
 * VorlReaderItem then finds items without being given the body. `pack`
 * stays the caller's and must outlive `out`. Returns as
 * VorlReaderOpenPackHead. */
static inline int VorlReaderOpenPack(VorlReaderIndex *out, const void *pack, size_t packSize)
{
    int status = VorlReaderOpenPackHead(out, pack, packSize, packSize);
    if (status == VORL_READER_OK) {
        out->body = VORL_READER_CAST(const unsigned char *, pack) + out->bodyStart;
    }
    return status;
}

/* ----------------------------------------------------------------------- */
/* The format                                                              */
/* ----------------------------------------------------------------------- */

/* The number of rows, end and padding rows included; 0 for a null or
 * emptied index. */
static inline size_t VorlReaderRowCount(const VorlReaderIndex *index)
{
    return index != VORL_READER_NULL ? index->rows : 0u;
}

/* The width of an index value in bytes (1, 2, 4 or 8); 0 for a null or
 * emptied index. */
static inline unsigned VorlReaderIndexWidth(const VorlReaderIndex *index)
{
    return index != VORL_READER_NULL ? index->indexWidth : 0u;
}

/* The width of an alias value in bytes; 0 without an alias table. */
static inline unsigned VorlReaderAliasWidth(const VorlReaderIndex *index)
{
    return index != VORL_READER_NULL ? index->aliasWidth : 0u;
}

/* The alignment of the items in bytes, which is also the unit of the
 * index values; 1 for a null index. */
static inline size_t VorlReaderAlignment(const VorlReaderIndex *index)
{
    return index != VORL_READER_NULL ? index->alignment : 1u;
}

/* 1 when the values store their most significant byte first, else 0. */
static inline int VorlReaderMostSignificantFirst(const VorlReaderIndex *index)
{
    return index != VORL_READER_NULL ? index->mostSignificantFirst : 0;
}

/* 1 when rows without data hold running offsets (the pack has an end row),
 * 0 when they hold the all-ones value. */
static inline int VorlReaderRunningOffsets(const VorlReaderIndex *index)
{
    return index != VORL_READER_NULL ? index->runningOffsets : 0;
}

/* Where the body starts in a pack with its index in front; 0 for a
 * separate index. */
static inline size_t VorlReaderBodyStart(const VorlReaderIndex *index)
{
    return index != VORL_READER_NULL ? index->bodyStart : 0u;
}

/* The body's length in bytes. */
static inline size_t VorlReaderBodySize(const VorlReaderIndex *index)
{
    return index != VORL_READER_NULL ? index->bodySize : 0u;
}

/* ----------------------------------------------------------------------- */
/* Rows                                                                    */
/* ----------------------------------------------------------------------- */

/* The index value of `row` as stored, in alignment units. Returns
 * VORL_READER_OK with `*value` set, or VORL_READER_ERR_ROW /
 * VORL_READER_ERR_ARGUMENT. */
static inline int VorlReaderValue(const VorlReaderIndex *index, size_t row, uint64_t *value)
{
    if (index == VORL_READER_NULL || value == VORL_READER_NULL) {
        return VORL_READER_ERR_ARGUMENT;
    }
    if (row >= index->rows) {
        return VORL_READER_ERR_ROW;
    }
    *value = VorlReaderInnerValue(index, row);
    return VORL_READER_OK;
}

/* The alias of `row` as stored, its high bits zero; VorlReaderSignedAlias
 * reads it with a sign. Returns VORL_READER_OK with `*alias` set,
 * VORL_READER_ERR_NO_ALIAS, VORL_READER_ERR_ROW or
 * VORL_READER_ERR_ARGUMENT. */
static inline int VorlReaderAlias(const VorlReaderIndex *index, size_t row, uint64_t *alias)
{
    if (index == VORL_READER_NULL || alias == VORL_READER_NULL) {
        return VORL_READER_ERR_ARGUMENT;
    }
    if (row >= index->rows) {
        return VORL_READER_ERR_ROW;
    }
    if (index->aliasWidth == 0) {
        return VORL_READER_ERR_NO_ALIAS;
    }
    *alias =
        VorlReaderInnerRead(index->aliases + row * index->aliasWidth, index->aliasWidth, index->mostSignificantFirst);
    return VORL_READER_OK;
}

/* An alias as stored, read as a signed number of the index's alias width
 * (two's complement). 0 for a null index or one without an alias table. */
static inline int64_t VorlReaderSignedAlias(const VorlReaderIndex *index, uint64_t alias)
{
    unsigned bits;
    uint64_t sign;
    if (index == VORL_READER_NULL || index->aliasWidth == 0) {
        return 0;
    }
    bits = 8u * index->aliasWidth;
    sign = VORL_READER_CAST(uint64_t, 1) << (bits - 1u);
    if (bits < 64u) {
        alias &= (sign << 1) - 1u;
    }
    if ((alias & sign) == 0) {
        return VORL_READER_CAST(int64_t, alias);
    }
    /* Negative: the magnitude is computed unsigned, so that the lowest
     * value of 8 bytes does not overflow. */
    return -VORL_READER_CAST(int64_t, (~alias & (sign - 1u))) - 1;
}

/* Reads `row` into `entry`: its value and alias, whether it has an item,
 * the item's offset in the body, its stored size and its owner (the row
 * sharing is resolved to). A row without data has size 0, its owner is
 * itself, and its offset is that of its running value, or 0 when marked.
 * Takes time in proportion to the row count; VorlReaderNextRow walks all
 * rows faster. Returns VORL_READER_OK, VORL_READER_ERR_ROW or
 * VORL_READER_ERR_ARGUMENT. */
static inline int VorlReaderRow(const VorlReaderIndex *index, size_t row, VorlReaderEntry *entry)
{
    if (index == VORL_READER_NULL || entry == VORL_READER_NULL) {
        return VORL_READER_ERR_ARGUMENT;
    }
    if (row >= index->rows) {
        return VORL_READER_ERR_ROW;
    }
    VorlReaderInnerClassify(index, row, 0, 0, entry);
    return VORL_READER_OK;
}

/* Sets `cursor` to the first row, for VorlReaderNextRow. */
static inline void VorlReaderStartRows(VorlReaderCursor *cursor)
{
    if (cursor != VORL_READER_NULL) {
        cursor->row = 0;
        cursor->highest = 0;
        cursor->seen = 0;
    }
}

/* Reads the row at `cursor` into `entry`, as VorlReaderRow does, and moves
 * the cursor on. The cursor belongs to the caller; start it with
 * VorlReaderStartRows and use it with one index only. Returns 1 with
 * `entry` filled, 0 after the last row, or VORL_READER_ERR_ARGUMENT. */
static inline int VorlReaderNextRow(const VorlReaderIndex *index, VorlReaderCursor *cursor, VorlReaderEntry *entry)
{
    if (index == VORL_READER_NULL || cursor == VORL_READER_NULL || entry == VORL_READER_NULL) {
        return VORL_READER_ERR_ARGUMENT;
    }
    if (cursor->row >= index->rows) {
        return 0;
    }
    VorlReaderInnerClassify(index, cursor->row, cursor->seen, cursor->highest, entry);
    if (!entry->marked && (!cursor->seen || entry->value > cursor->highest)) {
        cursor->highest = entry->value;
        cursor->seen = 1;
    }
    ++cursor->row;
    return 1;
}

/* Finds the stored bytes of `row`: `*data` points at them inside `body`
 * (the data file's bytes, VorlReaderBodySize of them) or, when `body` is
 * null, inside the pack given to VorlReaderOpenPack; `*size` is the stored
 * size. Nothing is copied. Returns VORL_READER_OK, VORL_READER_NO_DATA
 * (with `*data` null and `*size` 0) for a row without an item,
 * VORL_READER_ERR_ROW, or VORL_READER_ERR_ARGUMENT, also when there is no
 * body to point into. */
static inline int VorlReaderItem(const VorlReaderIndex *index, const void *body, size_t row, const unsigned char **data,
                                 size_t *size)
{
    const unsigned char *bytes;
    VorlReaderEntry entry;
    int status;
    if (index == VORL_READER_NULL || data == VORL_READER_NULL || size == VORL_READER_NULL) {
        return VORL_READER_ERR_ARGUMENT;
    }
    *data = VORL_READER_NULL;
    *size = 0;
    bytes = body != VORL_READER_NULL ? VORL_READER_CAST(const unsigned char *, body) : index->body;
    if (bytes == VORL_READER_NULL) {
        return VORL_READER_ERR_ARGUMENT;
    }
    status = VorlReaderRow(index, row, &entry);
    if (status != VORL_READER_OK) {
        return status;
    }
    if (!entry.hasData) {
        return VORL_READER_NO_DATA;
    }
    *data = bytes + entry.offset;
    *size = entry.size;
    return VORL_READER_OK;
}

/* An English sentence for a VorlReaderStatus, for messages; static text,
 * never null. */
static inline const char *VorlReaderErrorText(int status)
{
    switch (status) {
        case VORL_READER_OK:
            return "no error";
        case VORL_READER_NO_DATA:
            return "the row has no data";
        case VORL_READER_ERR_ARGUMENT:
            return "a required argument is missing";
        case VORL_READER_ERR_SHORT:
            return "the bytes end before the index does";
        case VORL_READER_ERR_FORMAT:
            return "the head is not that of a pack index";
        case VORL_READER_ERR_KIND:
            return "a separate index where a pack was expected, or the other way round";
        case VORL_READER_ERR_BODY_SIZE:
            return "the body is not a whole number of alignment units";
        case VORL_READER_ERR_OUTSIDE:
            return "an index value points past the end of the body";
        case VORL_READER_ERR_ROW:
            return "no such row";
        case VORL_READER_ERR_NO_ALIAS:
            return "the index has no alias table";
        default:
            return "unknown status";
    }
}

#endif /* VORL_READER_H */
