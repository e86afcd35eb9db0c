/*
 * vorl_cnv.h - public interface of the VORL Maker conversion library.
 *
 * The library packs a numbered list of input files into one data file and
 * writes the index table that lets a consuming program find each item by
 * its number. Every text that crosses this interface is a NUL-terminated
 * code page 932 (Shift-JIS) byte string in a fixed-width field; a field of
 * width n holds at most n - 1 characters.
 *
 * Ownership: a VorlInformation block belongs to whoever created it. The
 * creator zero-fills it before any other use. An entry table that the
 * library allocated belongs to the block and is freed by
 * VorlReleaseInformation; a table supplied by the caller stays the caller's.
 *
 * Errors: the conversions and the project readers and writers return 0
 * on success or one of the negative VORL_ERR_* codes below, which
 * VorlGetErrorStrings turns into a message. Five exports answer otherwise,
 * as their paragraphs say: the two version queries return numbers, the
 * two path exports 1 or 0, and VorlGetErrorStrings 0 or -1;
 * VorlReleaseInformation always returns 0. Of the extension exports below,
 * VorlConvertWithOptions also returns VORL_RESULT_DIFFERS (a verification
 * that found other outputs) and VORL_ERR_CANCELLED (a run asked to stop),
 * which are not error codes. The library never prints, logs or ends the
 * process.
 */
#ifndef VORL_CNV_H
#define VORL_CNV_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VORL_CNV_BUILDING)
#define VORL_API __attribute__((visibility("default")))
#else
#define VORL_API
#endif

/* ===================================================================== */
/*  Versions                                                             */
/* ===================================================================== */

/* The library version; a loader accepts 0x0200 in the upper 16 bits. */
#define VORL_DLL_VERSION 0x2000002
/* The newest project format version read, and the one written (4.00). */
#define VORL_PRJ_VERSION 400

/* ===================================================================== */
/*  Output modes (the block's `indexout`)                                */
/* ===================================================================== */

enum VorlIndexOut {
    VORL_INDEX_IN_DATA = 0,  /* the binary index in front of the data     */
    VORL_INDEX_C_HEADER = 1, /* a separate C header text                  */
    VORL_INDEX_BINARY = 2,   /* a separate binary index file              */
    VORL_INDEX_NONE = 3      /* the data alone                            */
};

/* ===================================================================== */
/*  Error codes                                                          */
/* ===================================================================== */

enum VorlErrorCode {
    VORL_OK = 0,                       /* success                                   */
    VORL_ERR_PRJ_NOT_FOUND = -1,       /* project file cannot be opened or created  */
    VORL_ERR_PRJ_TOO_OLD = -2,         /* project version below 3.02                */
    VORL_ERR_TOOL_TOO_OLD = -3,        /* project version above 4.00                */
    VORL_ERR_NOT_A_PROJECT = -4,       /* neither a legacy nor an XML project       */
    VORL_ERR_NO_INDEX = -5,            /* no valid index entry, or no output mode   */
    VORL_ERR_BAD_ACCESS = -6,          /* a required argument is null or invalid    */
    VORL_ERR_NO_MEMORY = -7,           /* the entry table cannot be allocated       */
    VORL_ERR_TEMP_FILE = -8,           /* a temporary file cannot be made/written   */
    VORL_ERR_FILE_NOT_FOUND = -9,      /* an input file or converter output missing */
    VORL_ERR_TOO_MANY_FILES = -10,     /* more than 9999 entries                    */
    VORL_ERR_INDEX_OVERFLOW = -11,     /* more than 10000 output rows               */
    VORL_ERR_NO_HEADER_NAME = -12,     /* separate header chosen without a name     */
    VORL_ERR_OUTPUT_FILE = -13,        /* an output file cannot be created          */
    VORL_ERR_FORWARD_REFERENCE = -14,  /* a reference to a row not below its own    */
    VORL_ERR_INDEX_RANGE = -15,        /* an index value does not fit its width     */
    VORL_ERR_CMDLINE_TOO_LONG = -16,   /* command line longer than 4095 characters  */
    VORL_ERR_TOO_MANY_ARGUMENTS = -17, /* too many command-line arguments          */
    VORL_ERR_WORK_DIRECTORY = -18,     /* the working directory cannot be made      */
    VORL_ERR_EXTERNAL_COMMAND = -19,   /* the command interpreter cannot be started */
    VORL_ERR_NOT_INITIALIZED = -20,    /* message only; never returned              */
    VORL_ERR_XML_PARSE = -21,          /* malformed XML project or invalid value    */
    VORL_ERR_XML_PARSER = -22          /* the XML parser cannot be created          */
};

#define VORL_ERROR_CODE_COUNT 23

/* ===================================================================== */
/*  The project information block and its entry rows                     */
/* ===================================================================== */

#define VORL_PATH_SIZE 260
#define VORL_LABEL_SIZE 128
#define VORL_REMARKS_SIZE 256
#define VORL_CONVERT_SIZE 256
#define VORL_SLOT_COUNT 4
#define VORL_MAX_ENTRIES 9999
#define VORL_MAX_ROWS 10000

/* The fields follow each other without gaps: both records cross the
 * library boundary (the editor holds its project in the same layout). */
#pragma pack(push, 4)

/* One row of the entry table; row 0 is index number 0. */
typedef struct IndexEntry {
    int32_t use;                     /* the row is packed only when exactly 1        */
    char filename[VORL_PATH_SIZE];   /* input path, or "*N": shares row N's data     */
    int32_t convertnum;              /* 0 = copy as is, 1-4 = converter slot         */
    char remarks[VORL_REMARKS_SIZE]; /* free text, ignored by the conversion         */
    uint32_t filesize;               /* 0 = whole file, else the stored byte count   */
    uint32_t filesizehigh;           /* upper size bits, kept but not used           */
    uint32_t alias;                  /* alias value, lower 32 bits                   */
    uint32_t aliashigh;              /* alias value, upper 32 bits (width 8 only)    */
} IndexEntry;

/* All settings of one project; the library's unit of work. */
typedef struct VorlInformation {
    char prjfile[VORL_PATH_SIZE];                     /* full path of the project file                */
    char prjdir[VORL_PATH_SIZE];                      /* its folder with a trailing separator         */
    char datafile[VORL_PATH_SIZE];                    /* output data file, set by the caller          */
    char headerfile[VORL_PATH_SIZE];                  /* separate header output (modes 1 and 2)       */
    char workdir[VORL_PATH_SIZE];                     /* working directory with a trailing separator  */
    int32_t version;                                  /* project format version, 302 to 400           */
    int32_t indexnum;                                 /* rows in the entry table, 1 to 9999           */
    int32_t dataalign;                                /* item alignment and index unit in bytes       */
    int32_t indexout;                                 /* 0 infile, 1 C text, 2 binary header, 3 none  */
    int32_t indexmode;                                /* 0 running offset + end row, 1 all-ones mark  */
    int32_t pathmode;                                 /* 0 as given, 1 absolute, 2 relative names     */
    int32_t indexinterval;                            /* the row count is rounded up to a multiple    */
    int32_t skipnofile;                               /* 1: a missing input is a row without data     */
    char label[VORL_LABEL_SIZE];                      /* name of the index array in the C text        */
    char type[VORL_SLOT_COUNT][VORL_LABEL_SIZE];      /* C type names for widths 1, 2, 4, 8  */
    int32_t usealias;                                 /* alias width: 0 none, 1, 2, 4 or 8            */
    int32_t indexbyte;                                /* index width: 1, 2, 4 or 8                    */
    int32_t changeendian;                             /* 1: most significant byte first               */
    char convert[VORL_SLOT_COUNT][VORL_CONVERT_SIZE]; /* converter command templates    */
    char headerid[4];                                 /* binary index id, four bytes, no NUL          */
    void *prjstream;                                  /* project stream while it is being read        */
    IndexEntry *entries;                              /* indexnum rows                                */
} VorlInformation;

#pragma pack(pop)

/* The exchanged layout, checked wherever this header is compiled. C before
 * C11 and C++ before C++11 have no static assertion: there a type of
 * negative size stops the compiler instead, under a name no one else uses. */
#if defined(__cplusplus) && __cplusplus >= 201103L
#define VORL_LAYOUT_ASSERT(condition) static_assert(condition, #condition)
#elif !defined(__cplusplus) && defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define VORL_LAYOUT_ASSERT(condition) _Static_assert(condition, #condition)
#else
#define VORL_LAYOUT_JOIN(name, line) name##line
#define VORL_LAYOUT_NAME(line) VORL_LAYOUT_JOIN(VorlLayoutCheck, line)
#define VORL_LAYOUT_ASSERT(condition) typedef char VORL_LAYOUT_NAME(__LINE__)[(condition) ? 1 : -1]
#endif
VORL_LAYOUT_ASSERT(sizeof(IndexEntry) == 540);
VORL_LAYOUT_ASSERT(offsetof(IndexEntry, use) == 0);
VORL_LAYOUT_ASSERT(offsetof(IndexEntry, filename) == 4);
VORL_LAYOUT_ASSERT(offsetof(IndexEntry, convertnum) == 264);
VORL_LAYOUT_ASSERT(offsetof(IndexEntry, remarks) == 268);
VORL_LAYOUT_ASSERT(offsetof(IndexEntry, filesize) == 524);
VORL_LAYOUT_ASSERT(offsetof(IndexEntry, filesizehigh) == 528);
VORL_LAYOUT_ASSERT(offsetof(IndexEntry, alias) == 532);
VORL_LAYOUT_ASSERT(offsetof(IndexEntry, aliashigh) == 536);
VORL_LAYOUT_ASSERT(sizeof(VorlInformation) == 3012 + 2 * sizeof(void *));
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, prjfile) == 0);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, prjdir) == 260);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, datafile) == 520);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, headerfile) == 780);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, workdir) == 1040);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, version) == 1300);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, indexnum) == 1304);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, dataalign) == 1308);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, indexout) == 1312);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, indexmode) == 1316);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, pathmode) == 1320);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, indexinterval) == 1324);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, skipnofile) == 1328);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, label) == 1332);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, type) == 1460);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, usealias) == 1972);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, indexbyte) == 1976);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, changeendian) == 1980);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, convert) == 1984);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, headerid) == 3008);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, prjstream) == 3012);
VORL_LAYOUT_ASSERT(offsetof(VorlInformation, entries) == 3012 + sizeof(void *));
#undef VORL_LAYOUT_ASSERT
#undef VORL_LAYOUT_NAME
#undef VORL_LAYOUT_JOIN

/* ===================================================================== */
/*  Exports                                                              */
/* ===================================================================== */

/* The library version, VORL_DLL_VERSION. Check it before anything else. */
VORL_API int VorlGetDllVersion(void);

/* The newest project format version the library reads and writes. */
VORL_API int VorlGetPrjVersion(void);

/* Copies the Shift-JIS message of `code` (0 to -22) into `buffer`, cut to
 * `size` - 1 bytes and always NUL-terminated; the rest of the buffer is
 * filled with NUL. Returns 0, or -1 (buffer untouched) for an unknown code,
 * a null buffer or a size below 1. */
VORL_API int VorlGetErrorStrings(int code, char *buffer, int size);

/* Packs the entries of a filled block into `datafile` and writes its index
 * as `indexout` says. Staging happens in `workdir` (the current folder when
 * it is empty, which is then stored). Existing output files are replaced
 * only once the new ones are complete. The block is not released. */
VORL_API int VorlConvert(VorlInformation *info);

/* Releases what the block owns: the project stream, a library-allocated
 * entry table, and the working directory made for it together with the
 * files in it (sub-folders stay). Never pass a block whose entry table is
 * the caller's. Always returns 0. */
VORL_API int VorlReleaseInformation(VorlInformation *info);

/* Converts a project described entirely by one command line: options
 * ("-p" output mode, "-a" alignment, "-i"/"--i", "-s"/"--s", "-e"/"--e",
 * "-b"/"--b", "-t2"/"-t4", "-l" type and label, "-h" header file, "-o" data
 * file, "-f" list file) and entry arguments (name[,converter[,alias]], "**N"
 * for a row sharing row N's data, an empty argument for an unused row).
 * The working directory is made under VORLTEMP, TMP, TEMP, TMPDIR or the
 * current folder and removed before returning, on every path. Returns 0 or
 * a negative code. */
VORL_API int VorlConvertCommandLine(const char *commandLine);

/* Reads the project file named in `prjfile` (legacy text or XML) into the
 * block. Relative entry names are resolved against `prjdir` when it is set.
 * When `entries` is null the library allocates the table (freed by
 * VorlReleaseInformation); settings the file leaves out keep the block's
 * values. Returns 0 or a negative code. */
VORL_API int VorlGetProjectFile(VorlInformation *info);

/* As VorlGetProjectFile, reading into the caller's own table, which must
 * have room for the file's entry count (up to 9999 rows) and stays the
 * caller's: no row beyond the file's count is ever written. On return the
 * block's `entries` still points at `table`. VorlReleaseInformation then
 * sets `entries` to null without freeing the table; a caller that frees
 * the table itself first should still set `entries` to null. A later read
 * into a table the library made grows it as needed. */
VORL_API int VorlGetProjectFileVB(VorlInformation *info, IndexEntry *table);

/* Writes the block as an XML project file to `prjfile`. The previous file
 * is replaced only once the new one is complete. Returns 0; -1 when the
 * file cannot be written, when it is one of the block's own entries' files
 * or its data or header file, or when a text would not read back as the
 * same bytes (a control character, a byte that is no CP932 character);
 * -6 for a block that cannot be written. */
VORL_API int VorlPutXMLPrjFile(VorlInformation *info);

/* As VorlPutXMLPrjFile, writing the rows of the caller's own table. As with
 * VorlGetProjectFileVB, `entries` is left pointing at `table`, which
 * VorlReleaseInformation leaves to the caller. */
VORL_API int VorlPutXMLPrjFileVB(VorlInformation *info, IndexEntry *table);

/* Reads the project `project` and converts it into `datafile` (and
 * `headerfile`, which may be null), both resolved against the project's
 * folder. The working directory is made under `workbase` (or VORLTEMP, TMP,
 * TEMP, TMPDIR, or the current folder when null) and removed before returning, on
 * every path. Returns the reading code when reading fails, else the
 * conversion's. */
VORL_API int VorlConvertPrjFile(const char *project, const char *datafile, const char *headerfile,
                                const char *workbase);

/* Expresses `path` relative to the folder `base` into `out` (`size` bytes
 * with the NUL). Returns 1, or 0 when the result does not fit. */
VORL_API int VorlAbs2RelPath(const char *path, const char *base, char *out, int size);

/* Resolves `path` against the folder `base` into `out` (`size` bytes with
 * the NUL). Returns 1, or 0 when the result does not fit. */
VORL_API int VorlRel2AbsPath(const char *path, const char *base, char *out, int size);

/* ===================================================================== */
/*  Extension: conversions with options                                  */
/*                                                                       */
/*  This library's own addition beside the exports above. The options    */
/*  record starts with its own size, so that fields added later are      */
/*  neither read nor written for a caller built with an older header.    */
/* ===================================================================== */

/* What stood in a conversion's way, as far as the library knows. */
enum VorlFailureCause {
    VORL_CAUSE_NONE = 0,            /* nothing is known beyond the code          */
    VORL_CAUSE_MISSING = 1,         /* the file does not exist                   */
    VORL_CAUSE_FOLDER = 2,          /* a folder stands where a file belongs      */
    VORL_CAUSE_UNREADABLE = 3,      /* the file exists but cannot be read        */
    VORL_CAUSE_EMPTY = 4,           /* the input holds no bytes                  */
    VORL_CAUSE_CONVERTER = 5,       /* the converter failed or wrote nothing     */
    VORL_CAUSE_UNWRITABLE = 6,      /* the output cannot be made or replaced     */
    VORL_CAUSE_NO_FOLDER = 7,       /* the output's folder does not exist        */
    VORL_CAUSE_OUTPUT_IS_INPUT = 8, /* the output is one of the inputs           */
    VORL_CAUSE_DIFFERS = 9,         /* verifying: the output differs or is absent */
    VORL_CAUSE_OUTPUT_TWICE = 10,   /* the output is also another output         */
    VORL_CAUSE_NOT_A_FILE = 11,     /* a pipe, a device or a socket, not a file  */
    VORL_CAUSE_INDEX_VALUE = 12,    /* the row's index value does not fit its width, or
                                       equals the all-ones no-data value (-15)   */
    VORL_CAUSE_ALIAS_VALUE = 13,    /* the row's alias does not fit the alias width (-15) */
    VORL_CAUSE_CONVERTER_SLOT = 14, /* the row names a converter slot that is not 1 to 4
                                       (-6), or one that holds no command (-9)    */
    VORL_CAUSE_NAME_TOO_LONG = 15   /* the name, resolved, is longer than its field holds */
};

/* What a conversion that succeeded tells the caller of in `notice`. */
enum VorlNoticeKind {
    /* The row holds data, but with running offsets (`indexmode` 0) its
     * index value equals the next row's, so that a reader takes it for a
     * row without data (a shared entry right after the row it shares). */
    VORL_NOTICE_LOOKS_EMPTY = 1
};

/* What a file reported to `fileread` was read as. */
enum VorlReadKind {
    VORL_READ_INPUT = 0,  /* an entry's input file                     */
    VORL_READ_LIST = 1,   /* a list file ("-f")                        */
    VORL_READ_FOLDER = 2, /* a folder searched for a wildcard entry, or
                             the nearest existing folder on the way to an
                             input that is not there (skipped): its
                             listing changes when the file appears       */
    VORL_READ_PROJECT = 3 /* the project file                          */
};

/* VorlConvertWithOptions with `verifyonly` set: the outputs are not those
 * the conversion would write (the failure report names the first differing
 * entry, or only the file when its index or header differs). */
#define VORL_RESULT_DIFFERS 1

/* VorlConvertWithOptions after its progress callback asked it to stop: the
 * previous outputs are as they were and nothing of the run is left. Outside
 * the codes VorlGetErrorStrings knows. */
#define VORL_ERR_CANCELLED (-100)

/* How far a conversion has come, as its progress callback sees it. */
typedef struct VorlProgress {
    int32_t rowsdone;      /* rows packed so far                           */
    int32_t rowcount;      /* rows of the table                            */
    const char *input;     /* the next row's input (CP932), "" when none   */
    uint64_t byteswritten; /* bytes of the data body written so far        */
} VorlProgress;

/* Where a failed conversion stopped. Texts are CP932, empty when unknown. */
typedef struct VorlFailureReport {
    int32_t row;                   /* the entry row, -1 when none is concerned     */
    int32_t line;                  /* its line in `listfile`, 0 when not from one  */
    int32_t cause;                 /* a VorlFailureCause                            */
    int32_t oserror;               /* the system's error number, 0 when none       */
    int32_t status;                /* the converter's exit status, -1 for a signal */
    char input[VORL_PATH_SIZE];    /* the entry's name as it was written, or (causes
                                      8 and 10) the other file the output would be */
    char file[VORL_PATH_SIZE];     /* the file concerned: input, list or output    */
    char listfile[VORL_PATH_SIZE]; /* the list file ("-f") the row came from       */
} VorlFailureReport;

/* Called once for every file or folder the conversion read, with its name
 * as the system opened it (CP932, '/' between folders, so a name written
 * with backslashes is reported as the file that exists) and a
 * VorlReadKind. An empty input is reported as read. */
typedef void (*VorlFileReadCallback)(void *context, const char *path, int32_t kind);

/* Called for each VorlNoticeKind a conversion finds about `row`, once its
 * outputs are in place (verifying: once they are compared); a conversion
 * that fails tells of nothing. */
typedef void (*VorlNoticeCallback)(void *context, int32_t kind, int32_t row);

/* Called before every row and once when all are packed; a return other
 * than 0 asks the conversion to stop before its next row. */
typedef int (*VorlProgressCallback)(void *context, const VorlProgress *progress);

/* Called once for each of `otheroutputs` (its position in `index`) when the
 * rows are packed and before any output is put in place, with the name
 * (CP932) of a new file in the working directory: the caller writes that
 * output's content into it, and the conversion puts it in place together
 * with its own outputs, so that a failure leaves all of them as they
 * were. A return other than 0 fails the conversion with -13. */
typedef int (*VorlStageCallback)(void *context, int32_t index, const char *stagedpath);

typedef struct VorlConvertOptions {
    uint32_t size;                    /* sizeof(VorlConvertOptions), set by the caller */
    VorlFailureReport failure;        /* filled when the conversion fails             */
    const char *workbase;             /* see VorlConvertWithOptions; may be null      */
    VorlFileReadCallback fileread;    /* may be null                                  */
    void *filereadcontext;            /* handed to `fileread`                         */
    int32_t verifyonly;               /* 1: compare with the outputs, write nothing   */
    int32_t jobs;                     /* converters run at once; 0 or 1: one at a time */
    VorlProgressCallback progress;    /* may be null                                  */
    void *progresscontext;            /* handed to `progress`                         */
    const char *cachedir;             /* converter result cache (CP932), null: none   */
    uint64_t cachemax;                /* its size limit in bytes, 0: 1 GiB            */
    const volatile int32_t *stopflag; /* may be null; non-zero: stop at once     */
    const char *const *otherinputs;   /* null-ended CP932 names the caller reads, or null  */
    const char *const *otheroutputs;  /* null-ended CP932 names it writes after, or null   */
    VorlStageCallback stageoutput;    /* may be null: `otheroutputs` are only checked      */
    void *stagecontext;               /* handed to `stageoutput`                           */
    const char *project;              /* a project file (CP932) read into `info`, or null   */
    int32_t neededbytes;              /* failing with cause 12 or 13: the smallest width in
                                         bytes that would hold the value (an index value other
                                         than as the all-ones marker), 0 when none would (index
                                         values are 32-bit at every width); else 0            */
    VorlNoticeCallback notice;        /* may be null                                         */
    void *noticecontext;              /* handed to `notice`                                  */
} VorlConvertOptions;

/* Converts either a filled block (`info`, as VorlConvert) or a command line
 * (`commandLine`, as VorlConvertCommandLine): exactly one of the two is
 * given. With `project` set, `commandLine` is null and the project file is
 * read first (as VorlGetProjectFile) into the block `info`, which is then
 * converted as VorlConvertPrjFile converts it: the project's folder is
 * `prjdir` when the caller filled it, else the project file's own folder
 * (made absolute); `datafile` and `headerfile` are the caller's (a project
 * holds neither). The block is left holding what the project says, for the
 * caller to release with VorlReleaseInformation; a project that cannot be
 * read fails with its code, the failure report naming it. `options` may be
 * null; otherwise its `size` says which of its fields the caller has, and
 * on failure `failure` says where the conversion stopped (on success it is
 * cleared). A block whose `workdir` is empty is staged in a working
 * directory made for this call under `workbase` (or VORLTEMP, TMP, TEMP,
 * TMPDIR, or the current folder) and removed before returning; `workdir` is
 * then empty again. `fileread`, when set, hears of every input, list file,
 * searched folder and project file the conversion read. With `verifyonly`
 * set nothing is written: the conversion runs (converters too) and its
 * results are compared with the existing outputs; 0 when they are
 * byte-identical, VORL_RESULT_DIFFERS when not. An output whose new bytes
 * equal the regular file already at its name (not through a link) is left
 * as it is, time stamp included; this holds for every conversion of the
 * library. Returns 0, VORL_RESULT_DIFFERS or a negative code; -6 for both
 * or neither source, or a `size` too small for the failure report. With
 * `jobs` above 1 the converters of different rows run side by side, each
 * writing only its own `$O`; the outputs are byte-identical to a run with
 * one job, and a failure is that of the first failing row. `progress`, when
 * set, hears of every row and may stop the run (VORL_ERR_CANCELLED).
 * `stopflag`, when set, points to a flag that a signal handler or another
 * thread may set to non-zero: the run then stops within about a tenth of a
 * second, ending the converters that are running (SIGTERM to each one's
 * process group, SIGKILL two seconds later), and returns VORL_ERR_CANCELLED
 * as for a stop from `progress`. Before anything is written, every output
 * (data, header, `otheroutputs`) is compared with every file the run reads
 * (the rows' inputs, list files, the project `prjfile`, `otherinputs`) and
 * with the other outputs, by device and inode where a file exists and by
 * resolved name where it does not: a match is refused with -13, the failure
 * report naming the output in `file` and the other file in `input` (cause 8
 * or 10). With `cachedir` set a converter's output is kept there under the
 * SHA-256 of its template text and its input's bytes, and taken from there
 * instead of running the converter again; a changed converter program
 * behind an unchanged template is not noticed (empty the folder then). */
VORL_API int VorlConvertWithOptions(VorlInformation *info, const char *commandLine, VorlConvertOptions *options);

/* Puts new content at the file `path` (CP932) as a conversion puts its
 * outputs, for files a caller writes beside a conversion (a dependency
 * file, an item taken out of a pack). Refused with -13 before anything is
 * written when `path` is `source` or one of `inputs` (a null-ended list of
 * the files the caller read, may be null), by device and inode or by
 * resolved name. The content is written to a new file beside the target,
 * private until complete, and renamed into place; a device or a pipe is
 * written into. A failure leaves the previous file exactly as it was. The
 * content is `size` bytes: from `bytes` when `source` is null, else copied
 * from the regular file `source` (CP932) from byte `offset`. Returns 0,
 * -13 when the output cannot be written or is an input, -9 when `source`
 * cannot be read or ends early, -6 for a missing argument; `failure`, when
 * given, names the file and the cause. */
/* What a converter result cache folder holds and how often it served. */
typedef struct VorlCacheStatistics {
    uint32_t size;    /* sizeof(VorlCacheStatistics), set by the caller */
    uint32_t unused;  /* 0                                              */
    uint64_t entries; /* converter results stored                       */
    uint64_t bytes;   /* their size on disk                             */
    uint64_t hits;    /* converter runs served from the folder          */
    uint64_t misses;  /* converter runs it could not serve              */
} VorlCacheStatistics;

/* Reads the statistics of the cache folder `folder` (CP932) into
 * `statistics`, whose `size` the caller sets. Returns 0; -9 when there is
 * no cache folder there; -6 for a missing argument or a `size` too small. */
VORL_API int VorlGetCacheStatistics(const char *folder, VorlCacheStatistics *statistics);

/* The message of error code `code` (0 to -22) as UTF-8 in `language`: "en"
 * (or any name beginning with it, "en_GB") for English, anything else for
 * the Japanese of VorlGetErrorStrings. `buffer` receives it NUL-ended and
 * cut to `size` - 1 bytes. Returns 0; the size it needs (with its NUL) when
 * it was cut; -1 for an unknown code or no buffer. */
VORL_API int VorlGetMessageText(int32_t code, const char *language, char *buffer, int32_t size);

VORL_API int VorlWriteOutputFile(const char *path, const void *bytes, const char *source, uint64_t offset,
                                 uint64_t size, const char *const *inputs, VorlFailureReport *failure);

#ifdef __cplusplus
}
#endif

#endif /* VORL_CNV_H */
